#include "app/qt/form1.h"

#include <QApplication>
#include <QBackingStore>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDir>
#include <QHelpEvent>
#include <QMessageBox>
#include <QPainter>
#include <QPaintEvent>
#include <QScreen>
#include <QTimer>
#include <QToolTip>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/qt/menus.h"
#include "app/ui/ui.h"
#include "app/qt/pad_poller.h"
#include "platform/pad_bench.h"
#include "platform/startup_log.h"
#include "platform/timer_log.h"
#include "app/qt/lcd_painter.h"
#include "display/gfxinit.h"
#include "display/vid.h"

namespace {

// Controls 4 .. 8 are the four directions and Jump.
constexpr int kFirstMoveControl = 4;

const el::Id kFaceIds[kControls + 1] = {el::NONE, el::btn_game_a_top, el::btn_game_b_top, el::btn_time_top,
                                        el::btn_move_up_top, el::btn_move_left_top, el::btn_move_right_top,
                                        el::btn_move_down_top, el::btn_jump_top};

QRect ToQ(const Rect &r) { return Plat_QRect(r); }

// The window's size and place in window mode, as "left,top,width,height" (the inside of the window).
constexpr const char *kGeometryValue = "WindowGeometry";

}  // namespace

void App_Error_Box(QWidget *parent, const QString &text) {
  QMessageBox box(QMessageBox::Critical, kUiProgramTitle, text, QMessageBox::Ok, parent);
  box.exec();
}

TForm1::TForm1() : QWidget(nullptr, Qt::FramelessWindowHint) {
  setObjectName("Form1");
  fade_clock_.start();
  fade_timer_.setTimerType(Qt::PreciseTimer);
  connect(&fade_timer_, &QTimer::timeout, this, [this] { FadeStep(); });
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  game.lcd.sink = this;
  desktop = &screen_;
  end_program = [] { QCoreApplication::exit(0); };
}

TForm1::~TForm1() { Shutdown(); }

void TForm1::ReportSkinProblem(const char *what) {
  std::fprintf(stderr, "ktusko: %s\n", what);
  // Each problem is shown once per run, gathered into one box that does not stop the game (a
  // skin is reloaded at every game start, behind the intro screen). Each says what it is about.
  const QString text = QString::fromUtf8(what);
  if (skin_problems_seen_.contains(text)) return;
  skin_problems_seen_.insert(text);
  skin_problems_pending_ << text;
  if (skin_problems_pending_.size() == 1) QTimer::singleShot(0, this, [this] { ShowSkinProblems(); });
}

void TForm1::ShowSkinProblems() {
  if (skin_problems_pending_.isEmpty()) return;
  QStringList shown = skin_problems_pending_.mid(0, 12);
  if (skin_problems_pending_.size() > 12) shown << QString("... and %1 more").arg(skin_problems_pending_.size() - 12);
  skin_problems_pending_.clear();
  auto *box = new QMessageBox(QMessageBox::Warning, windowTitle(),
                              "Some pictures or settings of the game could not be used. The game goes on without "
                              "them; a picture that cannot be read shows as a red square.\n\n" +
                                  shown.join("\n"),
                              QMessageBox::Ok, this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setModal(false);
  // The box may come up at a game start or a stage change, with play going on seconds later: it
  // never takes the keyboard from the game window. Its OK button works with the mouse.
  box->setAttribute(Qt::WA_ShowWithoutActivating);
  box->setWindowFlag(Qt::WindowDoesNotAcceptFocus);
  box->show();
}

void TForm1::ReportStoreFailure(const std::string &why) {
  std::fprintf(stderr, "ktusko: settings not saved: %s\n", why.c_str());
  // Told once per run, at the first write that fails, in a box that neither stops the game nor
  // takes the keyboard from it; the game goes on with the values it holds. The box comes once the
  // input that wrote is handled, above the window that has the input (the game window, or the key
  // settings or splash window when one is up).
  if (store_failure_told_) return;
  store_failure_told_ = true;
  const QString text = QString::fromStdString(Ui_Store_Failure_Message(why));
  QTimer::singleShot(0, this, [this, text] {
    QWidget *owner = QApplication::activeWindow();
    if (!owner && isVisible()) owner = this;
    auto *box = new QMessageBox(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, owner);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setAttribute(Qt::WA_ShowWithoutActivating);
    box->setModal(false);
    if (!owner) {
      // Centred on the screen: the game window may still be waiting off the screen.
      box->adjustSize();
      const QRect screen = QApplication::primaryScreen() ? QApplication::primaryScreen()->geometry() : QRect();
      box->move(screen.center() - QPoint(box->width() / 2, box->height() / 2));
    }
    box->show();
    box->raise();
  });
}

void TForm1::ShowOwnedBoxesAgain() {
  // Switched between window and full screen, the game window was taken off the screen and put
  // back: the window manager no longer keeps the boxes it owns above it (a full-screen window
  // goes above every other). Shown again after it, they are its own again, on top.
  for (QMessageBox *box : findChildren<QMessageBox *>(Qt::FindDirectChildrenOnly))
    if (box->isVisible()) {
      box->hide();
      box->show();
    }
}

bool TForm1::FormCreate() {
  // The title shown in the task bar. (Not the application's display name, which the desktop would
  // append to the captions of the small windows.)
  setWindowTitle("Kellup Tusko Lumo Special Edition");
  const int sw = desktop->Width(), sh = desktop->Height();
  move(-sw, -sh);
  resize(sw, sh);
  setMinimumSize(kMinWindowWidth, kMinWindowHeight);
  // Positions and sizes in window mode are remembered a moment after the last change.
  geometry_timer_.setSingleShot(true);
  geometry_timer_.setInterval(500);
  connect(&geometry_timer_, &QTimer::timeout, this, [this] { RememberWindowGeometry(); });

  // Relative stage folders resolve against the program folder however the program was started.
  cfg.program_folder = QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toStdString() + "/";
  QDir::setCurrent(QCoreApplication::applicationDirPath());

  std::string config_message;
  const ConfigStatus status = Cfg_Read(cfg, &config_message);
  Plat_Startup_Phase("  settings read");
  sound_lib_ = Plat_Create_SoundLib();
  Plat_Startup_Phase("  sound library made");
  auto settings = std::make_unique<QtStore>();
  // Until the first picture, the preferences the start-up stores as it read them are not
  // rewritten (each rewrite waits for the disk); from then on every write rewrites the file.
  settings->LeaveUnchangedUnwritten(true);
  settings_ = settings.get();
  store = std::move(settings);
  store->write_failed = [this](const std::string &why) { ReportStoreFailure(why); };
  fit_ = store->ReadBool("ScreenScale", true);
  window_mode_ = store->ReadBool("WindowMode", false);
  // The skin is laid out for the size the window will have once it is on the screen.
  if (window_mode_) resize(WindowedGeometry().size());
  snd.lib = sound_lib_.get();
  snd.store = store.get();
  snd.cfg = &cfg;
  // Stage banks are decoded on the sound layer's loading thread; a finished one is put in place
  // on this thread's event loop.
  snd.bank_ready = [this] { QMetaObject::invokeMethod(this, [this] { Snd_Take_Bank(snd); }, Qt::QueuedConnection); };

  game.cfg = &cfg;
  game.snd = &snd;
  game.store = store.get();
  game.screen = &view_screen_;
  game.timers = &timer_driver_;
  game.report = [](void *ctx, const char *what) { static_cast<TForm1 *>(ctx)->ReportSkinProblem(what); };
  game.report_ctx = this;
  Gam_Create(game);
  Plat_Startup_Phase("  game made");
  game.lcd.sink = this;

  if (status != ConfigStatus::Ok) {
    App_Error_Box(nullptr, QString::fromStdString(config_message));
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    // Without a usable stage table no skin can be loaded; the program is ending anyway.
    if (cfg.stage_count < 1) return false;
  }

  game.stage_number = 1;
  // The skin's pictures are decoded on a helper thread while the rest is set up; the load at the
  // end takes them from there.
  ApplyView();
  Gfx_Prefetch_Skin(cfg, SkinLayout{view_screen_.Width(), view_screen_.Height(), view_screen_.PixelScale()},
                    game.stage_number);
  Plat_Startup_Phase("  skin decoding started");
  game.menu_open = false;
  Inp_Load_Bindings(controls, *store);
  Inp_Build_Hints(controls, game);
  lcd_fx_.Set(Lcd_Read_Effects(*store));
  Plat_Startup_Phase("  key bindings read");
  menus = std::make_unique<GameMenus>(*this);
  Plat_Startup_Phase("  menus made");
  game.hiscore_a = store->ReadInteger("HiScore1", 0);
  game.hiscore_b = store->ReadInteger("HiScore2", 0);
  game.in_play = false;
  game.move_key_held = false;
  game.jump_key_held = false;
  rng_ = std::make_unique<DefaultRng>(
      static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
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

void TForm1::StartGamepads() {
  if (const char *off = std::getenv("KT_NO_GAMEPAD"); off && *off && *off != '0') return;
  // A pad's presses act like the keys' and only while this window has the keyboard (as keys do);
  // its releases always go through, and a pad unplugged lets go of everything it held.
  pad_poller_ = std::make_unique<PadPoller>([this](const PadState &s, int pads) {
    if (pads == 0) Inp_Pad_Release_All(pad_held_, game);
    else Inp_Pad_Update(pad_held_, game, s, isActiveWindow() && isEnabled());
  });
  if (!pad_poller_->Start()) pad_poller_.reset();
  else bench_pad_ = Plat_Bench_Pad::FromEnvironment();
}

void TForm1::CenterOnScreen() {
  on_screen_ = true;
  if (!window_mode_) {
    setGeometry(0, 0, desktop->Width(), desktop->Height());
    return;
  }
  const bool shown = isVisible();
  setWindowFlags(Qt::Window);
  setGeometry(WindowedGeometry());
  if (shown) show();
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
  if (!on_screen_) {  // before the play action: it puts the window in place
    resize(window ? WindowedGeometry().size() : QSize(desktop->Width(), desktop->Height()));
    return;
  }
  const bool shown = isVisible();
  setWindowFlags(window ? Qt::Window : Qt::Window | Qt::FramelessWindowHint);
  setGeometry(window ? WindowedGeometry() : QRect(0, 0, desktop->Width(), desktop->Height()));
  if (shown) {
    show();
    raise();
    activateWindow();
    ShowOwnedBoxesAgain();
  }
  ApplyView();
}

QRect TForm1::WindowedGeometry() {
  const std::optional<std::string> stored = store ? store->ReadText(kGeometryValue) : std::nullopt;
  return Plat_QRect(Lcd_Windowed_Geometry(stored ? &*stored : nullptr, desktop->Width(), desktop->Height()));
}

void TForm1::RememberWindowGeometry() {
  geometry_timer_.stop();
  if (!store || !window_mode_ || !on_screen_ || !isVisible()) return;
  const QRect g = geometry();
  store->WriteText(kGeometryValue, Lcd_Geometry_Text(Rect{g.x(), g.y(), g.width(), g.height()}));
}

double TForm1::ScaleFor(int w, int h) const {
  // At the original size a window too small for the skin shows it whole, reduced, rather than cut
  // off at its edges; once the window is large enough the skin is drawn pixel for pixel again.
  const double fit = Gfx_Fit_Scale(cfg, w, h);
  return fit_ ? fit : std::min(1.0, fit);
}

bool TForm1::ScreenLargeEnough() const {
  const int w = desktop->Width(), h = desktop->Height();
  const double s = ScaleFor(w, h);
  return Gfx_Virtual_Size(w, s) >= 1024 && Gfx_Virtual_Size(h, s) >= 768;
}

void TForm1::BringToFront() {
  // Before Play the splash window takes input; while key settings is open the game window is
  // disabled and waits on it. Key settings is added after the splash and about windows, so it comes
  // first when both it and the about window are up.
  QWidget *w = this;
  if (!isVisible() || !isEnabled()) {
    for (auto it = small_windows_.rbegin(); it != small_windows_.rend(); ++it)
      if (*it && (*it)->isVisible()) {
        w = *it;
        break;
      }
  }
  if (w->isMinimized()) w->showNormal();
  w->raise();
  w->activateWindow();
}

void TForm1::ApplyView() {
  // The skin is laid out and scaled for the device's pixels, so that the handheld looks the same
  // whatever the desktop's scale (the original size is one skin pixel a device pixel).
  const double r = devicePixelRatioF() > 0 ? devicePixelRatioF() : 1.0;
  const int32_t dw = static_cast<int32_t>(std::lround(width() * r));
  const int32_t dh = static_cast<int32_t>(std::lround(height() * r));
  const double s = ScaleFor(dw, dh);
  const int32_t w = Gfx_Virtual_Size(dw, s), h = Gfx_Virtual_Size(dh, s);
  if (s == device_view_.scale && r == ratio_ && w == view_screen_.Width() && h == view_screen_.Height()) return;
  const double pixel_scale = s;
  ratio_ = r;
  device_view_.scale = s;
  view_.scale = s / r;
  view_screen_.Set(w, h, pixel_scale);
  if (menus) menus->Use_Pixel_Scale(pixel_scale);
  if (!skin_loaded_) return;
  Gam_Relayout(game);
  if (menus && game.menu_open) menus->Vid_Display_Game_Menu();
  update();
}

void TForm1::resizeEvent(QResizeEvent *e) {
  QWidget::resizeEvent(e);
  ApplyView();
  if (window_mode_ && on_screen_) geometry_timer_.start();
}

void TForm1::moveEvent(QMoveEvent *e) {
  QWidget::moveEvent(e);
  if (window_mode_ && on_screen_) geometry_timer_.start();
}

void TForm1::AddSmallWindow(QWidget *w) { small_windows_ << QPointer<QWidget>(w); }

void TForm1::Shutdown() {
  if (shut_down_) return;
  shut_down_ = true;
  if (geometry_timer_.isActive()) RememberWindowGeometry();
  // Nothing of the game may run once its sound and store are gone: the timers stop first, and
  // the small windows (whose key settings write to the store) close before the release.
  if (game.Timer_Game) Gam_Stop_All_Timers(game);
  bench_pad_.reset();
  if (pad_poller_) pad_poller_->Stop();
  fade_timer_.stop();
  for (const QPointer<QWidget> &w : small_windows_)
    if (w) w->close();
  if (pad_poller_) pad_poller_->Stop();
  if (snd.lib) Snd_Shutdown(snd);
  game.store = nullptr;
  snd.store = nullptr;
  store.reset();
}

void TForm1::Invalidate(const Rect &r) {
  // The window repaints the union of what it is given: a few disjoint rectangles paint faster
  // than the many small ones the elements report. A segment's shadow changes with it.
  const QRect q = App_To_Window(device_view_.ToWindow(lcd_fx_.Reach(r)), ratio_) & rect();
  if (!q.isEmpty()) update(dirty_.Add(q));
}

int64_t TForm1::Now() const { return fade_clock_.isValid() ? fade_clock_.elapsed() : 0; }

void TForm1::Set_Lcd_Effects(const LcdEffectSettings &s) {
  lcd_fx_.Set(s);
  if (store) Lcd_Write_Effects(*store, s);
  update();
}

void TForm1::FadeStep() {
  // Repaints only what is fading, at most once per frame of the display, and only while
  // something fades.
  for (const Rect &r : lcd_fx_.Step(Now())) {
    const QRect q = App_To_Window(device_view_.ToWindow(r), ratio_) & rect();
    if (!q.isEmpty()) update(dirty_.Add(q));
  }
  if (!lcd_fx_.Fading()) fade_timer_.stop();
}

void TForm1::PrefaultBackingStore() {
  // The picture the window is painted into is new at the first paint and after a resize: a 4K
  // window's is 33 MB, and faulting its pages in one by one as they are painted first took longer
  // than painting itself.
  QBackingStore *store = backingStore();
  QPaintDevice *device = store ? store->paintDevice() : nullptr;
  if (!device || device->devType() != QInternal::Image) return;
  const auto *image = static_cast<const QImage *>(device);
  if (image->constBits() == prefaulted_) return;
  prefaulted_ = image->constBits();
  Pixels_Prefault(image->constBits(), static_cast<size_t>(image->sizeInBytes()));
}

void TForm1::paintEvent(QPaintEvent *e) {
  Plat_Startup_Phase("paint begins");
  const auto paint_start = Timer_Lateness::Clock::now();
  PrefaultBackingStore();
  dirty_.Clear();
  const int64_t now = Now();
  lcd_fx_.Sync(game.lcd, now);
  QPainter p(this);
  // The skin is painted in its own coordinates, scaled onto the device's pixels.
  QRegion dirty = e->region();
  if (ratio_ != 1.0) {
    p.setWorldTransform(QTransform::fromScale(1.0 / ratio_, 1.0 / ratio_));
    QRegion device;
    for (const QRect &r : e->region()) device += App_To_Device(r, ratio_);
    dirty = device;
  }
  App_Paint_Scaled(p, game.lcd, device_view_, dirty, &lcd_fx_, now, &layers_);
  if (lcd_fx_.Fading() && !fade_timer_.isActive()) {
    const QScreen *s = screen();
    const double hz = s && s->refreshRate() > 1 ? s->refreshRate() : 60.0;
    fade_timer_.start(std::max(8, static_cast<int>(std::lround(1000.0 / hz))));
  }
  Plat_Note_Startup(game.clock_phase >= 2);
  // Setting up the gamepads takes a while and no pad acts before the window is on screen: they
  // are looked for once it shows its first picture.
  if (!pads_asked_) {
    pads_asked_ = true;
    QTimer::singleShot(0, this, [this] { StartGamepads(); });
    if (settings_) settings_->LeaveUnchangedUnwritten(false);
    emit FirstPicture();
  }
  Timer_Lateness::Painted(paint_start, Timer_Lateness::Clock::now());  // for the timers' lateness record
}

int TForm1::FaceAt(const QPoint &pos) const {
  // Topmost first: the faces lie in table order, later ones above earlier ones.
  for (int i = kControls; i >= 1; --i) {
    const Element &e = game.lcd.e[kFaceIds[i]];
    if (e.visible && ToQ(e.rect).contains(pos)) return i;
  }
  return 0;
}

void TForm1::keyPressEvent(QKeyEvent *e) {
  // The menus' shortcut keys come before the key bindings.
  if (menus && menus->FormShortcut(e->key(), e->modifiers())) return;
  const uint16_t vk = Plat_Virtual_Key(e);
  // Repeats of a key that went down in another window (the '1' or Enter that pressed Play in the
  // splash window, held on) are not presses of this window: they would start a game by themselves.
  if (e->isAutoRepeat() && !keys_down_.contains(vk)) return;
  keys_down_.insert(vk);
  Inp_Key_Down(controls, game, vk);
  QWidget::keyPressEvent(e);
}

void TForm1::keyReleaseEvent(QKeyEvent *e) {
  // X sends a release before every repeated press; only the real release reaches the game.
  if (e->isAutoRepeat()) return;
  const uint16_t vk = Plat_Virtual_Key(e);
  if (!keys_down_.remove(vk)) return;  // went down elsewhere: its release is not this window's
  Inp_Key_Up(controls, game, vk);
  QWidget::keyReleaseEvent(e);
}

void TForm1::mousePressEvent(QMouseEvent *e) {
  if (e->button() != Qt::LeftButton || mouse_control_) return;
  if (menus && menus->MouseDown(e)) return;
  const int c = FaceAt(view_.ToSkin(e->position()));
  if (!c) return;
  // The press captures the mouse: the release goes to the same control wherever it happens.
  mouse_control_ = c;
  Inp_Control_Down(game, c);
}

void TForm1::mouseReleaseEvent(QMouseEvent *e) {
  if (menus && menus->MouseUp(e)) return;
  if (e->button() != Qt::LeftButton || !mouse_control_) return;
  const int c = mouse_control_;
  mouse_control_ = 0;
  Inp_Control_Up(game, c);
}

void TForm1::mouseMoveEvent(QMouseEvent *e) {
  const QPoint p = view_.ToSkin(e->position());
  setCursor(FaceAt(p) || (menus && menus->HandCursorAt(p)) ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

bool TForm1::event(QEvent *e) {
  if (e->type() == QEvent::ToolTip) {
    auto *help = static_cast<QHelpEvent *>(e);
    const QPoint at = view_.ToSkin(QPointF(help->pos()));
    const int c = FaceAt(at);
    const Element &logo = game.lcd.e[el::im_logo];
    if (c) QToolTip::showText(help->globalPos(), QString::fromStdString(game.lcd.e[kFaceIds[c]].hint), this);
    else if (logo.visible && !logo.hint.empty() && ToQ(logo.rect).contains(at))
      QToolTip::showText(help->globalPos(), QString::fromStdString(logo.hint), this);
    else QToolTip::hideText();
    return true;
  }
  if (e->type() == QEvent::ContextMenu && menus) {
    menus->Popup(static_cast<QContextMenuEvent *>(e)->globalPos());
    return true;
  }
  if (e->type() == QEvent::WindowDeactivate) {
    // Directions and Jump held while another window takes the keyboard never send their release
    // here: let them go now, so that Pelko does not keep stepping. Game A, Game B and Time stay
    // held: their release starts a game or shows the clock, which nobody asked for while away;
    // it comes when their key goes up here (or is pressed and released again).
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
  if (e->type() == QEvent::WindowActivate) FormActivate();
  return QWidget::event(e);
}

int TForm1::ControlOfKey(uint16_t vk) const {
  for (int c = 1; c <= kControls; ++c)
    if (controls.key_binding[c].virtual_key == vk) return c;
  return 0;
}

void TForm1::FormActivate() {
  if (!splash_pending) return;
  splash_pending = false;
  emit FirstActivation();
}

void TForm1::closeEvent(QCloseEvent *e) {
  // A close request (the window manager's close, Alt+F4) ends the program whatever small window
  // is open: shut down, then leave the event loop with status 0.
  Shutdown();
  e->accept();
  if (end_program) end_program();
}
