#include "app/win32/form1_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "display/gfxinit.h"
#include "display/lcd_layers.h"
#include "display/lcd_raster.h"
#include "app/ui/ui.h"
#include "display/vid.h"
#include "platform/startup_log.h"

namespace {

constexpr int kFirstMoveControl = 4;  // controls 4 .. 8: the four directions and Jump
constexpr UINT kBankReady = WM_APP + 10, kPadChanged = WM_APP + 11, kStartPads = WM_APP + 12,
               kStoreFailed = WM_APP + 13;
constexpr UINT_PTR kFadeTimer = 1, kGeometryTimer = 2;
constexpr const char *kGeometryValue = "WindowGeometry";
constexpr DWORD kFullStyle = WS_POPUP | WS_CLIPCHILDREN;
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

const el::Id kFaceIds[kControls + 1] = {el::NONE, el::btn_game_a_top, el::btn_game_b_top, el::btn_time_top,
                                        el::btn_move_up_top, el::btn_move_left_top, el::btn_move_right_top,
                                        el::btn_move_down_top, el::btn_jump_top};

bool Inside(const Rect &r, int32_t x, int32_t y) {
  return x >= r.left && y >= r.top && x - r.left < r.width && y - r.top < r.height;
}

int64_t SteadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// A label drawn with the desktop's fonts into the window picture.
void DrawLabel(HDC dc, const Rect &area, const Rect &clip, Font font, double scale, uint32_t rgb, const std::string &text) {
  GdiFlush();
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, clip.left, clip.top, clip.left + clip.width, clip.top + clip.height);
  HFONT f = Plat_Font(font, scale);
  SelectObject(dc, f);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF));
  RECT r{area.left, area.top, area.left + area.width, area.top + area.height};
  std::wstring w = Plat_Wide(text);
  DrawTextW(dc, w.c_str(), static_cast<int>(w.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX);
  RestoreDC(dc, saved);
  DeleteObject(f);
  GdiFlush();
}

}  // namespace

TForm1::TForm1() {
  clock_start_ = SteadyMs();
  game.lcd.sink = this;
}

TForm1::~TForm1() {
  Shutdown();
  if (memory_dc_) {
    SelectObject(memory_dc_, old_bitmap_);
    DeleteDC(memory_dc_);
  }
  if (dib_) DeleteObject(dib_);
  if (hwnd_) DestroyWindow(hwnd_);
}

int64_t TForm1::Now() const { return SteadyMs() - clock_start_; }

void TForm1::ReportSkinProblem(const char *what) {
  std::fprintf(stderr, "ktusko: %s\n", what);
  // Each problem is told once per run, in a box that does not stop the game.
  if (!skin_problems_seen_.insert(what).second) return;
  Plat_Warning_Box(
      "Some pictures or settings of the game could not be used. The game goes on without them; a picture that "
      "cannot be read shows as a red square.\n\n" +
      std::string(what));
}

void TForm1::ReportStoreFailure(const std::string &why) {
  std::fprintf(stderr, "ktusko: settings not saved: %s\n", why.c_str());
  // Told once per run, at the first write that fails. The write may happen in the middle of a key
  // press or inside the key settings window's Accept: the box comes once that is handled.
  if (store_failure_told_) return;
  store_failure_told_ = true;
  store_failure_text_ = Ui_Store_Failure_Message(why);
  PostMessageW(hwnd_, kStoreFailed, 0, 0);
}

void TForm1::ShowStoreFailure() {
  // Owned by the window that has the input (the game window, or the splash or key settings window
  // when one is open), so that it comes up above it and takes the keyboard on its own; before the
  // game window is on the screen with nothing active, on its own in the middle of the screen.
  HWND owner = GetActiveWindow();
  if (!owner && IsWindowVisible(hwnd_)) owner = hwnd_;
  Plat_Warning_Box(owner, store_failure_text_);
}

bool TForm1::FormCreate() {
  HINSTANCE inst = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = &Plat_Window_Proc<TForm1>;
  wc.hInstance = inst;
  wc.hIcon = LoadIconW(inst, MAKEINTRESOURCEW(1));
  wc.hIconSm = wc.hIcon;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = WinInstance::kWindowClass;
  RegisterClassExW(&wc);
  const int sw = screen_.Width(), sh = screen_.Height();
  // Made off the screen and hidden: nothing of it can be seen or take input before the play action.
  hwnd_ = CreateWindowExW(WS_EX_APPWINDOW, WinInstance::kWindowClass, L"Kellup Tusko Lumo Special Edition", kFullStyle,
                          -sw, -sh, sw, sh, nullptr, nullptr, inst, this);
  if (!hwnd_) return false;
  MakeHints();

  // Relative stage folders resolve against the program folder however the program was started.
  std::wstring exe(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
    if (n < exe.size()) {
      exe.resize(n);
      break;
    }
    exe.resize(exe.size() * 2);
  }
  const std::wstring folder = exe.substr(0, exe.find_last_of(L"\\/"));
  cfg.program_folder = Plat_Utf8(folder) + "\\";
  SetCurrentDirectoryW(folder.c_str());

  std::string config_message;
  const ConfigStatus status = Cfg_Read(cfg, &config_message);
  sound_lib_ = Plat_Create_SoundLib();
  store = std::make_unique<WinStore>();
  store->write_failed = [this](const std::string &why) { ReportStoreFailure(why); };
  fit_ = store->ReadBool("ScreenScale", true);
  window_mode_ = store->ReadBool("WindowMode", false);
  snd.lib = sound_lib_.get();
  snd.store = store.get();
  snd.cfg = &cfg;
  // Stage banks are decoded on the sound layer's loading thread; a finished one is put in place
  // on this thread.
  snd.bank_ready = [this] { PostMessageW(hwnd_, kBankReady, 0, 0); };

  game.cfg = &cfg;
  game.snd = &snd;
  game.store = store.get();
  game.screen = &view_screen_;
  game.timers = &timer_driver_;
  game.report = [](void *ctx, const char *what) { static_cast<TForm1 *>(ctx)->ReportSkinProblem(what); };
  game.report_ctx = this;
  Gam_Create(game);
  game.lcd.sink = this;

  if (status != ConfigStatus::Ok) {
    Plat_Error_Box(nullptr, config_message);
    PostQuitMessage(0);
    if (cfg.stage_count < 1) return false;
  }

  game.stage_number = 1;
  // The skin is laid out for the size the window will have once it is on the screen.
  if (window_mode_) {
    const Rect g = WindowedGeometry();
    SetWindowPos(hwnd_, nullptr, -sw, -sh, g.width, g.height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ApplyView();
  Gfx_Prefetch_Skin(cfg, SkinLayout{view_screen_.Width(), view_screen_.Height(), view_screen_.PixelScale()},
                    game.stage_number);
  game.menu_open = false;
  Inp_Load_Bindings(controls, *store);
  Inp_Build_Hints(controls, game);
  lcd_fx_.Set(Lcd_Read_Effects(*store));
  game.hiscore_a = store->ReadInteger("HiScore1", 0);
  game.hiscore_b = store->ReadInteger("HiScore2", 0);
  game.in_play = false;
  game.move_key_held = false;
  game.jump_key_held = false;
  rng_ = std::make_unique<DefaultRng>(static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  game.rng = rng_.get();
  first_stage_pending_ = true;
  return status == ConfigStatus::Ok;
}

void TForm1::LoadFirstStage() {
  if (!first_stage_pending_) return;
  first_stage_pending_ = false;
  Gam_Load_Stage(game);
  skin_loaded_ = true;
}

bool TForm1::Play(const std::string &driver) {
  if (played_) return true;
  played_ = true;
  std::string sound_message;
  if (!Snd_Init(snd, driver, &sound_message)) {
    Plat_Error_Box(nullptr, sound_message);
    store->WriteInteger("SoundMode", -1);
    store->WriteBool("SplashScreen", true);
    Close();
    return false;
  }
  if (view_screen_.Width() < 1024 || view_screen_.Height() < 768) {
    Plat_Error_Box(nullptr,
                  "Your screen resolution is below the minimum required 1024x768.\r\n\r\n"
                  "Please increase your screen resolution and restart the game.");
    Close();
    return false;
  }
  ShowGame();
  game.game_mode = kModeClock;
  Gam_Set_Mode(game);
  return true;
}

void TForm1::ShowGame() {
  CenterOnScreen();
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  SetFocus(hwnd_);
}

void TForm1::ApplyWindowStyle(const Rect &client) {
  const DWORD style = window_mode_ ? kWindowStyle : kFullStyle;
  const bool shown = IsWindowVisible(hwnd_);
  SetWindowLongPtrW(hwnd_, GWL_STYLE, style | (shown ? WS_VISIBLE : 0));
  RECT r{client.left, client.top, client.left + client.width, client.top + client.height};
  if (window_mode_) AdjustWindowRectEx(&r, style, FALSE, WS_EX_APPWINDOW);
  SetWindowPos(hwnd_, window_mode_ ? HWND_NOTOPMOST : HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_FRAMECHANGED | SWP_NOACTIVATE);
}

void TForm1::CenterOnScreen() {
  on_screen_ = true;
  ApplyWindowStyle(window_mode_ ? WindowedGeometry() : Rect{0, 0, screen_.Width(), screen_.Height()});
}

void TForm1::SetFitToScreen(bool fit) {
  if (fit_ == fit) return;
  fit_ = fit;
  if (store) store->WriteBool("ScreenScale", fit);
  ApplyView();
}

void TForm1::SetWindowMode(bool window) {
  if (window_mode_ == window) return;
  if (window_mode_ && on_screen_) RememberWindowGeometry();
  window_mode_ = window;
  if (store) store->WriteBool("WindowMode", window);
  if (!on_screen_) return;
  ApplyWindowStyle(window ? WindowedGeometry() : Rect{0, 0, screen_.Width(), screen_.Height()});
  SetForegroundWindow(hwnd_);
  ApplyView();
  InvalidateRect(hwnd_, nullptr, FALSE);
}

Rect TForm1::WindowedGeometry() {
  const std::optional<std::string> stored = store ? store->ReadText(kGeometryValue) : std::nullopt;
  return Lcd_Windowed_Geometry(stored ? &*stored : nullptr, screen_.Width(), screen_.Height());
}

void TForm1::RememberWindowGeometry() {
  KillTimer(hwnd_, kGeometryTimer);
  geometry_pending_ = false;
  if (!store || !window_mode_ || !on_screen_ || !IsWindowVisible(hwnd_) || IsIconic(hwnd_)) return;
  RECT c{};
  GetClientRect(hwnd_, &c);
  POINT origin{0, 0};
  ClientToScreen(hwnd_, &origin);
  store->WriteText(kGeometryValue, Lcd_Geometry_Text(Rect{origin.x, origin.y, c.right, c.bottom}));
}

void TForm1::FollowDpi(RECT suggested) {
  // Moved to a screen of another scale, or the screen's scale changed. Before the play action the
  // window waits off the screen for its place; in window mode it takes the place Windows suggests
  // (its size in the new scale); full screen it covers the screen it is on. The skin is laid out
  // again for the window's new size (WM_SIZE), and painted again in any case.
  if (!on_screen_) return;
  if (!window_mode_) {
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    if (GetMonitorInfoW(MonitorFromRect(&suggested, MONITOR_DEFAULTTONEAREST), &mi)) suggested = mi.rcMonitor;
  }
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  ApplyView();
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void TForm1::ApplyView() {
  RECT c{};
  GetClientRect(hwnd_, &c);
  const int w = std::max<LONG>(1, c.right), h = std::max<LONG>(1, c.bottom);
  ResizeBuffer(w, h);
  // The window is drawn in physical pixels (the program is DPI aware): the pictures are loaded
  // for the scale itself.
  const double s = fit_ ? Gfx_Fit_Scale(cfg, w, h) : 1.0;
  const int32_t vw = Gfx_Virtual_Size(w, s), vh = Gfx_Virtual_Size(h, s);
  if (s == scale_.scale && vw == view_screen_.Width() && vh == view_screen_.Height() && s == view_screen_.PixelScale())
    return;
  scale_.scale = s;
  view_screen_.Set(vw, vh, s);
  if (menus.pixel_scale) menus.pixel_scale(s);
  if (!skin_loaded_) return;
  Gam_Relayout(game);
  if (menus.relayout) menus.relayout();
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void TForm1::ResizeBuffer(int w, int h) {
  if (w == buffer_w_ && h == buffer_h_ && dib_) return;
  if (!memory_dc_) {
    memory_dc_ = CreateCompatibleDC(nullptr);
  }
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;  // rows top to bottom
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void *bits = nullptr;
  HBITMAP dib = CreateDIBSection(memory_dc_, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!dib) return;
  if (dib_) {
    SelectObject(memory_dc_, old_bitmap_);
    DeleteObject(dib_);
  }
  dib_ = dib;
  old_bitmap_ = SelectObject(memory_dc_, dib_);
  pixels_ = static_cast<uint32_t *>(bits);
  buffer_w_ = w;
  buffer_h_ = h;
}

void TForm1::Shutdown() {
  if (shut_down_) return;
  shut_down_ = true;
  if (geometry_pending_) RememberWindowGeometry();
  // Nothing of the game may run once its sound and store are gone: the timers stop first.
  if (game.Timer_Game) Gam_Stop_All_Timers(game);
  if (pad_watch_) pad_watch_->Stop();
  if (hwnd_) KillTimer(hwnd_, kFadeTimer);
  if (snd.lib) Snd_Shutdown(snd);
  game.store = nullptr;
  snd.store = nullptr;
  store.reset();
}

void TForm1::Close() {
  Shutdown();
  if (end_program) end_program();
  else PostQuitMessage(0);
}

void TForm1::Invalidate(const Rect &r) {
  if (!hwnd_) return;
  const Rect w = Lcd_Intersect(scale_.ToWindow(lcd_fx_.Reach(r)), Rect{0, 0, buffer_w_, buffer_h_});
  if (w.Empty()) return;
  RECT q{w.left, w.top, w.left + w.width, w.top + w.height};
  InvalidateRect(hwnd_, &q, FALSE);
}

void TForm1::Set_Lcd_Effects(const LcdEffectSettings &s) {
  lcd_fx_.Set(s);
  if (store) Lcd_Write_Effects(*store, s);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void TForm1::Paint() {
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  GetUpdateRgn(hwnd_, region, FALSE);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  const int64_t now = Now();
  lcd_fx_.Sync(game.lcd, now);
  if (pixels_) {
    // Each rectangle of what changed is composed in the window picture, then copied to the screen.
    std::vector<Rect> rects;
    const DWORD bytes = GetRegionData(region, 0, nullptr);
    std::vector<char> data(bytes);
    if (bytes && GetRegionData(region, bytes, reinterpret_cast<RGNDATA *>(data.data()))) {
      const auto *rd = reinterpret_cast<const RGNDATA *>(data.data());
      const auto *r = reinterpret_cast<const RECT *>(rd->Buffer);
      for (DWORD i = 0; i < rd->rdh.nCount; ++i) rects.push_back(Rect{r[i].left, r[i].top, r[i].right - r[i].left, r[i].bottom - r[i].top});
    }
    if (rects.empty()) rects.push_back(Rect{ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left, ps.rcPaint.bottom - ps.rcPaint.top});
    Lcd_Pixels out{pixels_, buffer_w_, buffer_h_, buffer_w_};
    const Lcd_Text_Painter text = [this](const Rect &area, const Rect &clip, Font font, double scale, uint32_t rgb,
                                         const std::string &t) { DrawLabel(memory_dc_, area, clip, font, scale, rgb, t); };
    GdiFlush();
    Lcd_Paint_Pixels(out, game.lcd, scale_.scale, rects, &lcd_fx_, now, text, &layers_);
    GdiFlush();
    if (menus.draw) {
      // The open game menu's rows lie over the LCD, drawn with the desktop's fonts.
      SelectClipRgn(memory_dc_, region);
      menus.draw(memory_dc_, scale_.scale);
      SelectClipRgn(memory_dc_, nullptr);
      GdiFlush();
    }
    for (const Rect &r : rects) BitBlt(dc, r.left, r.top, r.width, r.height, memory_dc_, r.left, r.top, SRCCOPY);
  }
  EndPaint(hwnd_, &ps);
  DeleteObject(region);
  if (lcd_fx_.Fading() && !fading_) {
    fading_ = true;
    SetTimer(hwnd_, kFadeTimer, 16, nullptr);
  }
  Plat_Note_Startup(game.clock_phase >= 2);
  // Setting up the gamepads takes a while and no pad acts before the window is on screen: they
  // are looked for once it shows its first picture.
  if (!pads_asked_) {
    pads_asked_ = true;
    PostMessageW(hwnd_, kStartPads, 0, 0);
  }
}

void TForm1::StartGamepads() {
  if (const char *off = std::getenv("KT_NO_GAMEPAD"); off && *off && *off != '0') return;
  if (shut_down_) return;
  pad_watch_ = std::make_unique<PadWatch>();
  const bool started = pad_watch_->Start([this](const PadState &s, int pads) {
    // A stick trembling in its dead zone changes no control and wakes nothing.
    if (pads == pad_last_count_ && Inp_Pad_Same_Controls(s, pad_last_)) return;
    pad_last_ = s;
    pad_last_count_ = pads;
    bool first;
    {
      std::lock_guard<std::mutex> lock(pad_mutex_);
      first = pad_changes_.empty();
      pad_changes_.emplace_back(s, pads);
    }
    if (first) PostMessageW(hwnd_, kPadChanged, 0, 0);
  });
  if (!started) pad_watch_.reset();
}

void TForm1::TakePadChanges() {
  std::deque<std::pair<PadState, int>> changes;
  {
    std::lock_guard<std::mutex> lock(pad_mutex_);
    changes.swap(pad_changes_);
  }
  if (shut_down_) return;
  // A pad's presses act like the keys' and only while this window has the keyboard; its releases
  // always go through, and the last pad unplugged lets go of everything it held.
  const bool active = GetForegroundWindow() == hwnd_ && IsWindowEnabled(hwnd_);
  for (const auto &[state, pads] : changes) {
    if (pads == 0) Inp_Pad_Release_All(pad_held_, game);
    else Inp_Pad_Update(pad_held_, game, state, active);
  }
}

void TForm1::MakeHints() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!tooltip_) return;
  TTTOOLINFOW ti{};
  ti.cbSize = sizeof ti;
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = hwnd_;
  ti.uId = reinterpret_cast<UINT_PTR>(hwnd_);
  ti.lpszText = LPSTR_TEXTCALLBACKW;
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 600);
}

std::string TForm1::HintAt(int32_t x, int32_t y) const {
  if (const int c = FaceAt(x, y)) return game.lcd.e[kFaceIds[c]].hint;
  const Element &logo = game.lcd.e[el::im_logo];
  if (logo.visible && Inside(logo.rect, x, y)) return logo.hint;
  return {};
}

int TForm1::FaceAt(int32_t x, int32_t y) const {
  // Topmost first: the faces lie in table order, later ones above earlier ones.
  for (int i = kControls; i >= 1; --i) {
    const Element &e = game.lcd.e[kFaceIds[i]];
    if (e.visible && Inside(e.rect, x, y)) return i;
  }
  return 0;
}

int TForm1::ControlOfKey(uint16_t vk) const {
  for (int c = 1; c <= kControls; ++c)
    if (controls.key_binding[c].virtual_key == vk) return c;
  return 0;
}

void TForm1::KeyDown(uint16_t vk, bool repeat) {
  // The menus' shortcut keys (F1, F2, F3, F11, Esc) come before the key bindings; held down, they
  // act once. Without the menus, F11 and Esc still switch the window and end the program.
  const bool shortcut_key = vk == VK_F11 || vk == VK_ESCAPE || (vk >= VK_F1 && vk <= VK_F3);
  if (menus.shortcut) {
    if (shortcut_key && repeat) return;
    if (!repeat && menus.shortcut(vk)) return;
  } else if (vk == VK_F11) {
    if (!repeat) SetWindowMode(!window_mode_);
    return;
  } else if (vk == VK_ESCAPE) {
    Close();
    return;
  }
  // Repeats of a key that went down in another window are not presses of this window.
  if (repeat && !keys_down_.count(vk)) return;
  keys_down_.insert(vk);
  Inp_Key_Down(controls, game, vk);
}

void TForm1::KeyUp(uint16_t vk) {
  if (!keys_down_.erase(vk)) return;  // went down elsewhere: its release is not this window's
  Inp_Key_Up(controls, game, vk);
}

void TForm1::ReleaseMoveKeys() {
  // Directions and Jump held while another window takes the keyboard never send their release
  // here: let them go now. Game A, Game B and Time stay held until their key goes up here.
  for (auto it = keys_down_.begin(); it != keys_down_.end();) {
    if (ControlOfKey(*it) >= kFirstMoveControl) {
      const uint16_t vk = *it;
      it = keys_down_.erase(it);
      Inp_Key_Up(controls, game, vk);
    } else {
      ++it;
    }
  }
}

LRESULT TForm1::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      if (wp != SIZE_MINIMIZED) ApplyView();
      [[fallthrough]];
    case WM_MOVE:
      // Positions and sizes in window mode are remembered a moment after the last change.
      if (window_mode_ && on_screen_) {
        geometry_pending_ = true;
        SetTimer(hwnd_, kGeometryTimer, 500, nullptr);
      }
      return 0;
    case WM_TIMER:
      if (wp == kFadeTimer) {
        // Repaints only what is fading, and only while something fades.
        for (const Rect &r : lcd_fx_.Step(Now())) {
          const Rect w = scale_.ToWindow(r);
          RECT q{w.left, w.top, w.left + w.width, w.top + w.height};
          InvalidateRect(hwnd_, &q, FALSE);
        }
        if (!lcd_fx_.Fading()) {
          KillTimer(hwnd_, kFadeTimer);
          fading_ = false;
        }
      } else if (wp == kGeometryTimer) {
        RememberWindowGeometry();
      }
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      // Alt with a key is the system's (Alt+F4 closes); F10 comes as a system key without it.
      if (msg == WM_SYSKEYDOWN && (lp & (1 << 29))) break;
      KeyDown(static_cast<uint16_t>(wp), (lp & (1 << 30)) != 0);
      return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      KeyUp(static_cast<uint16_t>(wp));
      if (msg == WM_SYSKEYUP) break;
      return 0;
    case WM_SYSCHAR:
      if (!(lp & (1 << 29))) return 0;  // no menu beep for F10
      break;
    case WM_KILLFOCUS:
      ReleaseMoveKeys();
      return 0;
    case WM_LBUTTONDOWN: {
      if (mouse_control_) return 0;
      int32_t x = 0, y = 0;
      scale_.ToSkin(GET_X_LPARAM(lp), GET_Y_LPARAM(lp), &x, &y);
      if (menus.mouse_down && menus.mouse_down(x, y)) return 0;
      const int c = FaceAt(x, y);
      if (!c) return 0;
      // The press captures the mouse: the release goes to the same control wherever it happens.
      mouse_control_ = c;
      SetCapture(hwnd_);
      Inp_Control_Down(game, c);
      return 0;
    }
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (msg == WM_LBUTTONUP && !mouse_control_ && menus.mouse_up) {
        int32_t x = 0, y = 0;
        scale_.ToSkin(GET_X_LPARAM(lp), GET_Y_LPARAM(lp), &x, &y);
        if (menus.mouse_up(x, y)) return 0;
      }
      if (mouse_control_) {
        const int c = mouse_control_;
        mouse_control_ = 0;
        if (msg == WM_LBUTTONUP) ReleaseCapture();
        Inp_Control_Up(game, c);
      }
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lp) == HTCLIENT) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(hwnd_, &p);
        int32_t x = 0, y = 0;
        scale_.ToSkin(p.x, p.y, &x, &y);
        const bool hand = FaceAt(x, y) || (menus.hand_at && menus.hand_at(x, y));
        SetCursor(LoadCursorW(nullptr, hand ? IDC_HAND : IDC_ARROW));
        return TRUE;
      }
      break;
    case WM_MOUSEMOVE: {
      int32_t x = 0, y = 0;
      scale_.ToSkin(GET_X_LPARAM(lp), GET_Y_LPARAM(lp), &x, &y);
      if (menus.mouse_move) menus.mouse_move(x, y);
      // A new hint under the pointer: the shown one goes, the new one comes after the usual pause.
      std::string hint = HintAt(x, y);
      if (tooltip_ && hint != hovered_) {
        hovered_ = std::move(hint);
        SendMessageW(tooltip_, TTM_POP, 0, 0);
      }
      return 0;
    }
    case WM_NOTIFY: {
      auto *n = reinterpret_cast<NMHDR *>(lp);
      if (tooltip_ && n->hwndFrom == tooltip_ && n->code == TTN_GETDISPINFOW) {
        auto *d = reinterpret_cast<NMTTDISPINFOW *>(lp);
        hint_ = Plat_Wide(hovered_);
        d->lpszText = hint_.empty() ? nullptr : hint_.data();
        d->szText[0] = L'\0';
        return 0;
      }
      break;
    }
    case WM_CONTEXTMENU:
      if (menus.popup) {
        POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        if (p.x == -1 && p.y == -1) p = POINT{0, 0};  // from the keyboard: the window's corner
        menus.popup(p);
        return 0;
      }
      break;
    case kBankReady:
      Snd_Take_Bank(snd);
      return 0;
    case kPadChanged:
      TakePadChanges();
      return 0;
    case kStartPads:
      StartGamepads();
      return 0;
    case kStoreFailed:
      ShowStoreFailure();
      return 0;
    case WM_DPICHANGED:
      FollowDpi(*reinterpret_cast<const RECT *>(lp));
      return 0;
    case WM_CLOSE:
      // A close request (Alt+F4, the title bar's close) ends the program: shut down, then leave
      // the message loop with status 0.
      Close();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}
