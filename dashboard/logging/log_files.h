// The log's files on disk: the companion values file (.KVV) that goes with a
// log chart file (.KVL), its name, and writing files so that a failure part
// way never destroys the previous copy.
#pragma once

#include <string>
#include <vector>

namespace kvr {

// The companion's name when saving: the chart file's name without its
// extension (the last "." of the file name and what follows), plus ".KVV".
std::string companionNameForSave(const std::string& chartFile);

// The chart file's name without its extension, as the save reports it.
std::string withoutExtension(const std::string& file);

// The companion's name by the older opening rule: the chart file's name with
// its last character replaced by "V" (run.KVL -> run.KVV, run.dat -> run.daV).
std::string companionNameByLastCharacter(const std::string& chartFile);

// The companion to open for a chart file: the name saving gives it when that
// file exists, else the older rule's name when that exists; empty when
// neither does.
std::string findCompanion(const std::string& chartFile);

struct ValuesFile {
    std::string valuesText;          // line 1: the values image as held
    std::vector<std::string> notes;  // the notes lines
};

// Reads a companion: line 1 and every further line, CR LF or LF ended.
// False with `error` set when it cannot be read.
bool readValuesFile(const std::string& path, ValuesFile& out, std::string& error);

// Writes a companion: line 1, then the notes, each ended by CR LF.
bool writeValuesFile(const std::string& path, const ValuesFile& file, std::string& error);

// Writes `bytes` to `path` through a temporary file in the same folder,
// renamed over `path` only once complete and flushed.
bool writeFileReplacing(const std::string& path, const std::string& bytes, std::string& error);

bool fileExists(const std::string& path);

}  // namespace kvr
