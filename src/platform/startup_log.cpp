#include "platform/startup_log.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

void Plat_Note_Startup(bool ready) {
  static const char *path = std::getenv("KT_STARTUP_LOG");
  if (!path || !ready) return;
  if (FILE *f = std::fopen(path, "w")) {
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch());
    std::fprintf(f, "%lld\n", static_cast<long long>(ns.count()));
    std::fclose(f);
  }
  path = nullptr;
}
