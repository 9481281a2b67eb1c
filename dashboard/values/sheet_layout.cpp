#include "dashboard/values/sheet_layout.h"

namespace kvr {

const std::vector<SheetGridLayout>& sheetGridLayouts() {
    using T = SheetTab;
    using C = GridColour;
    static const char* const kCranking = "Cranking enrichment";
    static const std::vector<SheetGridLayout> layouts = {
        {1, T::Fuel, "Rpm Fuel numbers", nullptr, 2, 19, 52, {}, 2, 20, 112, 272, true, C::Window},
        {2, T::Fuel, nullptr, nullptr, 2, 19, 52, {}, 115, 20, 112, 272, true, C::Window},
        {3, T::Fuel, "Manifold Pressure Fuel numbers", nullptr, 2, 32, 52, {}, 233, 21, 112, 454, true, C::Window},
        {4, T::Fuel, nullptr, nullptr, 2, 32, 52, {}, 347, 21, 112, 454, true, C::Window},
        {5, T::Fuel, "Accel Pump", nullptr, 2, 3, 70, {90, 20}, 8, 317, 145, 49, true, C::Window},
        {6, T::Fuel, "Engine Temp numbers", "Warmup enrichment", 2, 32, 52, {}, 480, 21, 112, 454, true, C::Window},
        {7, T::Ignition, "Rpm Ignition", nullptr, 2, 19, 52, {}, 8, 20, 112, 272, true, C::Window},
        {8, T::Ignition, nullptr, nullptr, 2, 19, 52, {}, 124, 20, 112, 272, true, C::Window},
        {9, T::Ignition, "Ignition Retard-Advance/Load", nullptr, 2, 32, 52, {}, 256, 21, 112, 454, true, C::Window},
        {10, T::Ignition, nullptr, nullptr, 2, 32, 52, {}, 372, 21, 112, 454, true, C::Window},
        {11, T::Fuel, "Start numbers", kCranking, 2, 32, 52, {}, 609, 21, 112, 454, true, C::Window},
        {12, T::Fuel, "Start Cycles", kCranking, 1, 1, 50, {}, 747, 21, 67, 20, true, C::Window},
        {13, T::Ignition, "Ignition related", nullptr, 2, 8, 110, {140, 70}, 8, 320, 225, 121, true, C::Window},
        {14, T::Fuel, "Closed Loop", nullptr, 2, 5, 70, {80, 50}, 724, 320, 146, 75, true, C::Window},
        {15, T::Fuel, "Fuel Cutoffs/", kCranking, 2, 3, 70, {85, 40}, 724, 75, 146, 49, true, C::Window},
        {16, T::Options, "Options", kCranking, 2, 9, 110, {105, 115}, 288, 32, 229, 137, true, C::Window},
        {17, T::AirTemp, "Air Temperature", nullptr, 2, 32, 52, {}, 3, 21, 112, 454, true, C::Window},
        {18, T::AirTemp, nullptr, nullptr, 2, 32, 52, {}, 113, 21, 112, 454, true, C::Window},
        {19, T::Options, "Setup Mode", kCranking, 2, 25, 130, {}, 8, 32, 269, 377, true, C::Menu},
        {20, T::Options, "System", kCranking, 2, 7, 148, {}, 528, 32, 302, 110, true, C::Window},
        {21, T::Fuel, "Fuel Trim", "4cyl Aircraft only", 2, 4, 70, {}, 724, 151, 146, 74, true, C::Window},
        {22, T::Options, "File Information", kCranking, 2, 4, 110, {}, 288, 232, 229, 65, false, C::Menu},
        {23, T::Options, nullptr, nullptr, 1, 1, 440, {}, 288, 297, 465, 25, true, C::ButtonFace},
        {24, T::Fuel, "Lean with Pin13 switch", nullptr, 2, 1, 70, {}, 724, 258, 146, 18, true, C::Window},
        {25, T::Fuel, "Idle TP Location, Fuel", nullptr, 2, 2, 100, {}, 4, 397, 206, 32, true, C::Window},
    };
    return layouts;
}

const SheetGridLayout& sheetGridLayout(int number) { return sheetGridLayouts().at(number - 1); }

const char* sheetTabCaption(SheetTab tab) {
    switch (tab) {
        case SheetTab::Fuel: return "Fuel";
        case SheetTab::Ignition: return "Ignition";
        case SheetTab::Options: return "Options";
        case SheetTab::AirTemp: return "Air Temp";
    }
    return "";
}

}  // namespace kvr
