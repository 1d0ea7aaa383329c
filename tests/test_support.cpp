#include "test_support.h"

#include "display/vid.h"
#include "platform/image.h"

#include <png.h>
// libjpeg's header needs size_t and FILE first.
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
#include <gtest/gtest.h>
#else
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

bool RecordingSoundLib::Init(int rate, int channels) {
  calls.push_back("init " + std::to_string(rate) + " " + std::to_string(channels));
  return true;
}
bool RecordingSoundLib::SetOutput(int type) {
  calls.push_back("output " + std::to_string(type));
  return true;
}
SampleHandle RecordingSoundLib::SampleLoad(const std::string &file, int32_t) {
  calls.push_back("load " + file);
  if (std::find(missing.begin(), missing.end(), file) != missing.end()) return nullptr;
  loaded.push_back(file);
  return reinterpret_cast<SampleHandle>(static_cast<uintptr_t>(loaded.size()));
}
void RecordingSoundLib::Play(SampleHandle s) {
  calls.push_back("play " + std::to_string(reinterpret_cast<uintptr_t>(s)));
}
void RecordingSoundLib::StopAll() { calls.push_back("stop"); }
void RecordingSoundLib::SampleFree(SampleHandle s) {
  calls.push_back("free " + std::to_string(reinterpret_cast<uintptr_t>(s)));
}
void RecordingSoundLib::Close() { calls.push_back("close"); }

#ifdef _WIN32
TempDir::TempDir() {
  wchar_t base[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, base);
  static unsigned serial = 0;
  for (;;) {
    const std::wstring name = std::wstring(base, n) + L"ktusko-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(++serial);
    if (CreateDirectoryW(name.c_str(), nullptr)) {
      const std::u8string u = std::filesystem::path(name).u8string();
      path = std::string(u.begin(), u.end());
      for (char &c : path)
        if (c == '\\') c = '/';
      path += "/";
      return;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) std::abort();
  }
}
#else
TempDir::TempDir() {
  char tmpl[] = "/tmp/ktusko-test-XXXXXX";
  path = std::string(mkdtemp(tmpl)) + "/";
}
#endif
namespace {
std::filesystem::path U8(const std::string &s) { return std::filesystem::path(std::u8string(s.begin(), s.end())); }
}  // namespace
TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(U8(path), ec);
}
void TempDir::Write(const std::string &rel, const std::string &content) const {
  const std::filesystem::path p = U8(path + rel);
  std::filesystem::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << content;
}

TestGame::TestGame(int32_t screen_w, int32_t screen_h) : screen(screen_w, screen_h) {
  cfg.program_folder = "/nonexistent-ktusko/";
  cfg.resources_path = "Resources\\Common\\";
  cfg.stage_count = 4;
  for (int n = 1; n <= 4; ++n) {
    cfg.stage_table[n].path = "/nonexistent-ktusko/Level" + std::to_string(n) + "\\";
    cfg.stage_table[n].name = "Stage name " + std::to_string(n);
    cfg.stage_table[n].image = "nil";
  }
  snd.lib = &lib;
  snd.store = &store;
  snd.cfg = &cfg;
  g.cfg = &cfg;
  g.snd = &snd;
  g.store = &store;
  g.rng = &rng;
  g.screen = &screen;
  g.timers = &clock;
  Gam_Create(g);
}

std::vector<std::string> TestGame::Lit() const {
  std::vector<std::string> out;
  for (int i = 0; i < el::COUNT; ++i) {
    const auto id = static_cast<el::Id>(i);
    if (Lcd_Is_Segment(id) && g.lcd.e[i].visible) out.push_back(Lcd_Name(id));
  }
  std::sort(out.begin(), out.end());
  return out;
}

InPlayGame::InPlayGame() {
  g.game_mode = kModeGameA;
  g.in_play = true;
  g.score_multiplier = 1;
  g.extra_life_score = 300;
  g.lives = 2;
  snd.sound_on = true;
  for (uintptr_t n = 1; n <= 8; ++n) snd.bank[n] = reinterpret_cast<SampleHandle>(n);
  for (int d = 0; d <= 9; ++d) g.lcd.e[g.lcd.panel_number_img[d]].pic = Img_Placeholder();
}

void InPlayGame::Place(int32_t c, int32_t r) {
  g.pelko_col = c;
  g.pelko_row = r;
  Vid_Show_Pelko(g.lcd, c, r, true);
}

std::vector<int> InPlayGame::Sounds(bool with_stops) {
  std::vector<int> out;
  for (const std::string &c : lib.calls)
    if (c.rfind("play ", 0) == 0) out.push_back(std::stoi(c.substr(5)));
    else if (with_stops && c == "stop") out.push_back(0);
  lib.calls.clear();
  return out;
}

std::string Tiny_Png() {
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  img.width = 1;
  img.height = 1;
  img.format = PNG_FORMAT_RGBA;
  const unsigned char px[4] = {10, 20, 30, 255};
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&img, nullptr, &size, 0, px, 0, nullptr);
  std::string out(size, '\0');
  png_image_write_to_memory(&img, out.data(), &size, 0, px, 0, nullptr);
  out.resize(size);
  return out;
}

#ifdef _WIN32
// Windows has no fork: the job runs in a new copy of this test program that runs the same test
// (--gtest_filter) up to the same job and ends with the job's return value; the jobs before it
// are passed over there. KT_CHILD_JOB names the test and the job. The copy runs in a job object
// holding the limits (CPU time; committed memory in place of address space).
namespace {
struct ChildJob {
  std::string test;
  int count = 0;
};
ChildJob &CurrentJob() {
  static ChildJob j;
  const testing::TestInfo *info = testing::UnitTest::GetInstance()->current_test_info();
  const std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : std::string();
  if (name != j.test) {
    j.test = name;
    j.count = 0;
  }
  return j;
}
}  // namespace

ChildCost Run_In_Child(const std::function<int()> &job, int cpu_seconds, long as_mb) {
  ChildJob &j = CurrentJob();
  const int number = ++j.count;
  const std::string key = j.test + "#" + std::to_string(number);
  ChildCost c;
  if (const char *wanted = std::getenv("KT_CHILD_JOB")) {
    // In the copy: only the wanted job runs, and the copy ends with it.
    if (key == wanted) {
      const int status = job();
      // The copy tells its own CPU time and peak memory (Wine cannot tell them of another process).
      if (const char *report = std::getenv("KT_CHILD_REPORT")) {
        FILETIME created, ended, kernel, user;
        PROCESS_MEMORY_COUNTERS pmc{};
        GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
        GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
        auto seconds = [](const FILETIME &t) {
          return static_cast<double>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
        };
        if (FILE *f = std::fopen(report, "w")) {
          std::fprintf(f, "%.6f %ld\n", seconds(kernel) + seconds(user), static_cast<long>(pmc.PeakWorkingSetSize >> 20));
          std::fclose(f);
        }
      }
      std::fflush(nullptr);
      ExitProcess(static_cast<UINT>(status));
    }
    c.exited = true;
    c.status = 0;
    return c;
  }
  std::fflush(nullptr);
  wchar_t exe[32768];
  GetModuleFileNameW(nullptr, exe, 32768);
  const std::wstring filter(j.test.begin(), j.test.end());
  std::wstring cmd = L"\"" + std::wstring(exe) + L"\" --gtest_brief=1 --gtest_filter=" + filter;
  const HANDLE limits = CreateJobObjectW(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION li{};
  li.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_PROCESS_TIME | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
  li.BasicLimitInformation.PerProcessUserTimeLimit.QuadPart = static_cast<LONGLONG>(cpu_seconds) * 10000000;
  if (as_mb > 0) {
    li.BasicLimitInformation.LimitFlags |= JOB_OBJECT_LIMIT_PROCESS_MEMORY;
    li.ProcessMemoryLimit = static_cast<SIZE_T>(as_mb) << 20;
  }
  SetInformationJobObject(limits, JobObjectExtendedLimitInformation, &li, sizeof li);
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  const HANDLE null_out = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &sa, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = null_out;
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION pi{};
  TempDir report_dir;
  const std::string report = report_dir.path + "cost.txt";
  SetEnvironmentVariableA("KT_CHILD_REPORT", report.c_str());
  SetEnvironmentVariableA("KT_CHILD_JOB", key.c_str());
  const BOOL started = CreateProcessW(exe, cmd.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr, nullptr, &si, &pi);
  SetEnvironmentVariableA("KT_CHILD_JOB", nullptr);
  SetEnvironmentVariableA("KT_CHILD_REPORT", nullptr);
  CloseHandle(null_out);
  if (!started) {
    CloseHandle(limits);
    return c;
  }
  AssignProcessToJobObject(limits, pi.hProcess);
  ResumeThread(pi.hThread);
  // The CPU limit also bounds the wait, for a copy that sleeps instead of working.
  if (WaitForSingleObject(pi.hProcess, static_cast<DWORD>(cpu_seconds) * 3000 + 10000) != WAIT_OBJECT_0)
    TerminateProcess(pi.hProcess, ERROR_NOT_ENOUGH_QUOTA);
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  // Ended by the CPU limit, or by an exception (the signals of other systems).
  c.exited = code != ERROR_NOT_ENOUGH_QUOTA && code < 0xC0000000u;
  c.status = static_cast<int>(code);
  FILETIME created, ended, kernel, user;
  if (GetProcessTimes(pi.hProcess, &created, &ended, &kernel, &user)) {
    auto seconds = [](const FILETIME &t) {
      return static_cast<double>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    c.cpu = seconds(kernel) + seconds(user);
  }
  PROCESS_MEMORY_COUNTERS pmc{};
  if (GetProcessMemoryInfo(pi.hProcess, &pmc, sizeof pmc)) c.peak_mb = static_cast<long>(pmc.PeakWorkingSetSize >> 20);
  // What the copy said of itself, when it got as far as saying it.
  if (FILE *f = std::fopen(report.c_str(), "r")) {
    double cpu = 0;
    long peak = 0;
    if (std::fscanf(f, "%lf %ld", &cpu, &peak) == 2) {
      c.cpu = cpu;
      c.peak_mb = peak;
    }
    std::fclose(f);
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  CloseHandle(limits);
  return c;
}

long Address_Space_Mb() {
  PROCESS_MEMORY_COUNTERS_EX pmc{};
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&pmc), sizeof pmc);
  return static_cast<long>(pmc.PrivateUsage >> 20);
}

bool Under_Wine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

long Resident_Mb() {
  PROCESS_MEMORY_COUNTERS pmc{};
  GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
  return static_cast<long>(pmc.WorkingSetSize >> 20);
}
#else
ChildCost Run_In_Child(const std::function<int()> &job, int cpu_seconds, long as_mb) {
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    const rlimit cpu{static_cast<rlim_t>(cpu_seconds), static_cast<rlim_t>(cpu_seconds)};
    setrlimit(RLIMIT_CPU, &cpu);
    if (kAddressLimits && as_mb > 0) {
      const rlimit as{static_cast<rlim_t>(as_mb) << 20, static_cast<rlim_t>(as_mb) << 20};
      setrlimit(RLIMIT_AS, &as);
    }
    // Whatever the job lets escape ends the child here, not in the test framework's handler
    // (which would go on to run the other tests in the child).
    int status = 98;
    try {
      status = job();
    } catch (...) {
      status = 99;
    }
    _exit(status);
  }
  ChildCost c;
  int status = 0;
  rusage ru{};
  if (pid < 0 || wait4(pid, &status, 0, &ru) != pid) return c;
  c.exited = WIFEXITED(status);
  c.status = c.exited ? WEXITSTATUS(status) : WTERMSIG(status);
  c.cpu = static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
          static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
  c.peak_mb = ru.ru_maxrss / 1024;
  return c;
}

long Address_Space_Mb() {
  long pages = 0;
  if (FILE *f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld", &pages) != 1) pages = 0;
    std::fclose(f);
  }
  return pages * (sysconf(_SC_PAGESIZE) / 1024) / 1024;
}
long Resident_Mb() {
  std::ifstream in("/proc/self/statm");
  long pages = 0, resident = 0;
  in >> pages >> resident;
  return resident * sysconf(_SC_PAGESIZE) / (1 << 20);
}
#endif

std::string Write_Jpeg(int w, int h, int components, int color_space, bool progressive,
                       const std::vector<uint8_t> &samples) {
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char *buf = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &buf, &size);
  c.image_width = static_cast<JDIMENSION>(w);
  c.image_height = static_cast<JDIMENSION>(h);
  c.input_components = components;
  c.in_color_space = static_cast<J_COLOR_SPACE>(color_space);
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 95, TRUE);
  if (progressive) jpeg_simple_progression(&c);
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&samples[static_cast<size_t>(c.next_scanline) * w * components]);
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::string out(reinterpret_cast<char *>(buf), size);
  std::free(buf);
  return out;
}
