// Program entry on Windows: one copy per user, the game window's start-up sequence, then the play
// action (the splash window's, or at once when the splash is switched off and a sound driver is
// stored), then the message loop until the program ends with status 0.
#include "platform/win32/win_platform.h"

#include <cstdio>

#include "app/win32/form1_win.h"
#include "sound/snd.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // A second copy for the same settings would write its older values over the running one's: it
  // says so, brings the running copy to the front and ends before it reads or writes anything.
  WinInstance instance;
  if (!instance.Acquire()) {
    std::fprintf(stderr, "ktusko: already running for this user; this copy ends\n");
    Plat_Info_Box(nullptr,
                 "Kellup Tusko Lumo Special Edition is already running.\n\nThis copy ends now, so that the two "
                 "cannot write over each other's high scores and settings.");
    WinInstance::AskRunningToFront();
    return 0;
  }

  int status = 0;
  {
    TForm1 form1;
    const bool ok = form1.FormCreate();
    form1.LoadFirstStage();
    if (ok) {
      // The stored sound driver, "(no sound)" when none is stored yet.
      const int32_t mode = form1.store->ReadInteger("SoundMode", -1);
      form1.Play(kSoundDrivers[mode >= 0 && mode <= 2 ? mode : 2]);
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    status = static_cast<int>(msg.wParam);
  }
  return status;
}
