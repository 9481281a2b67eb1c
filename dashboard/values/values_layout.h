// Where each parameter lies in the values image: byte numbers k (0..1023) for ImageByte/ImageWord.
#pragma once

namespace kvr {
namespace byte {

constexpr int NitrousRetard = 0;
constexpr int StagedTime = 1;  // word
constexpr int Cylinders = 3;
constexpr int FuelFlow = 4;
constexpr int CrankRetardOld = 5;  // before software 27
constexpr int SensorConfig = 7;
constexpr int AccPumpHiRpm = 12;
constexpr int AccPumpLoRpm = 13;
constexpr int AccPumpSense = 14;
constexpr int RpmFuelLast = 52;    // RPM fuel bin r is byte 52 - r
constexpr int LoadFuelFirst = 53;
constexpr int EngineTempFuelFirst = 117;
constexpr int IgnitionLoadFirst = 149;
constexpr int IgnitionRpmLast = 250;  // ignition RPM bin r is byte 250 - r
constexpr int StartNumbersFirst = 251;
constexpr int StartCycles = 283;
constexpr int AirTempFirst = 284;
constexpr int MagnetPosition = 348;
constexpr int KnockRetard = 349;
constexpr int KnockSense = 350;
constexpr int KnockMaxRpm = 351;
constexpr int ClMapHi = 352;
constexpr int ClMapLo = 353;
constexpr int ClRpmHi = 354;
constexpr int ClRpmLo = 355;
constexpr int ClosedLoop = 356;
constexpr int CutoffPressure = 358;
constexpr int CutoffRpm = 359;
constexpr int CutoffBelowTp = 360;
constexpr int SwitchOnAt = 361;
constexpr int FastIdle = 362;
constexpr int FanOff = 363;
constexpr int FanOn = 364;
constexpr int IdleTpLocation = 365;
constexpr int IdleFuelAmount = 366;
constexpr int O2Type = 367;
constexpr int Pin13Function = 368;
constexpr int Pin13Parameter = 369;
constexpr int LeanWarning = 370;
constexpr int TrimCyl4 = 371;  // rows 3, 2, 1, 0 of the trim grid are bytes 371..374
constexpr int CrankRetard = 375;  // software 27 and later
constexpr int LeanPin13Amount = 376;
constexpr int LeanPin13Enable = 377;
constexpr int GaugeButtonOld = 378;  // software 29.x; LOP ignition advance from 30.0
constexpr int LopIgnitionAdvance = 378;
constexpr int LopMaxPressure = 379;
constexpr int LopControl = 380;
constexpr int GaugeButton = 381;
constexpr int FuelPulseOut = 472;  // word
constexpr int FuelPulseInjLag = 474;  // word
constexpr int BattCalibrate = 480;
constexpr int Config6 = 481;
constexpr int Config7 = 482;
constexpr int Rs232Rate = 483;
constexpr int Rs232Baud = 484;
constexpr int AfrOffset = 485;
constexpr int AccpExtraInjs = 486;
constexpr int AccpExtraInjsTp = 487;
constexpr int AccpExtraInjsAmt = 488;
constexpr int RpmRange = 489;
constexpr int EngineTempSensor = 490;
constexpr int BaroFuelComp = 491;
constexpr int Pin13MapLimit = 492;
constexpr int TrimPresent = 498;
constexpr int Config8 = 500;
constexpr int Config3 = 501;
constexpr int ClLoopEngTemp = 502;
constexpr int Config1 = 503;
constexpr int Config2 = 504;
constexpr int MiscSw2Ctrl = 505;
constexpr int SwMajor = 506;
constexpr int SwMinor = 507;
constexpr int Config4 = 508;
constexpr int Config5 = 509;
constexpr int BurnCount = 510;  // word
constexpr int RpmFuelHighLast = 1007;  // high byte of RPM fuel bin r is byte 1007 - r

}  // namespace byte
}  // namespace kvr
