// kvrtool ports: the dashboard's port scan, COM1..COM40, with its lines.
#include <cstdio>

#include "commands.h"
#include "dashboard/dashboard_core.h"

namespace kvrtool {

int runPorts(const Args& args) {
    if (!args.empty()) return usageError("ports", "takes no arguments");
    kvr::TolkSerialPort port;
    kvr::DashboardCore core(port);
    core.SCANCOMPORTS();
    for (const auto& line : core.out.memoLines) std::printf("%s\n", line.c_str());
    return 0;
}

}  // namespace kvrtool
