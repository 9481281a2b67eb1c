#include "values_input.h"

#include <cstdio>

#include "dashboard/values/values_image_check.h"

namespace kvrtool {

bool readValuesImage(const char* command, const std::string& path, kvr::ValuesFile& out) {
    std::string error;
    if (!kvr::readValuesFile(path, out, error)) {
        std::fprintf(stderr, "kvrtool %s: %s\n", command, error.c_str());
        return false;
    }
    if (out.valuesText.empty() && out.notes.empty()) {
        std::fprintf(stderr, "kvrtool %s: %s is empty, not a values file\n", command, path.c_str());
        return false;
    }
    const std::string problem = kvr::valuesImageProblem(out.valuesText, out.notes);
    if (problem.empty()) return true;
    std::fprintf(stderr, "kvrtool %s: %s is not a values file: %s\n", command, path.c_str(), problem.c_str());
    return false;
}

}  // namespace kvrtool
