#include "platform/startup_log.h"

#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Phase {
  const char *name;
  double cpu_ms;
  double wall_ms;
};

struct StartupLog {
  const char *path = nullptr;
  std::vector<Phase> phases;
  std::chrono::steady_clock::time_point start;
  StartupLog() {
    path = std::getenv("KT_STARTUP_LOG");
    if (path && !*path) path = nullptr;
    start = std::chrono::steady_clock::now();
    if (path) phases.reserve(32);
  }
};

StartupLog &Log() {
  static StartupLog log;
  return log;
}

double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

}  // namespace

void Plat_Startup_Phase(const char *name) {
  StartupLog &log = Log();
  if (!log.path) return;
  const std::chrono::duration<double, std::milli> wall = std::chrono::steady_clock::now() - log.start;
  log.phases.push_back({name, CpuMs(), wall.count()});
}

void Plat_Note_Startup(bool ready) {
  StartupLog &log = Log();
  if (!log.path || !ready) return;
  Plat_Startup_Phase("first clock picture");
  if (FILE *f = std::fopen(log.path, "w")) {
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::system_clock::now().time_since_epoch());
    std::fprintf(f, "%lld\n", static_cast<long long>(ns.count()));
    std::fclose(f);
  }
  if (FILE *f = std::fopen((std::string(log.path) + ".phases").c_str(), "w")) {
    for (const Phase &p : log.phases) std::fprintf(f, "%s\t%.2f\t%.2f\n", p.name, p.cpu_ms, p.wall_ms);
    std::fclose(f);
  }
  log.path = nullptr;
}
