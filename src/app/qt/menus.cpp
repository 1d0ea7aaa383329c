#include "app/qt/menus.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QContextMenuEvent>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>
#include <cmath>

#include "app/qt/about.h"
#include "app/qt/document.h"
#include "app/qt/form1.h"
#include "app/qt/pictures.h"
#include "app/studio.h"
#include "display/lcd.h"
#include "input/keys_form.h"
#include "platform/qt/qt_platform.h"
#include "platform/store.h"

namespace {

const char *const kItemProperty = "menu_item";

QFont RowFont(double scale) {
  // Arial with a character cell 16 pixels high (on the skin's screen).
  QFont f(QStringList{"Arial", "Liberation Sans"});
  f.setPixelSize(std::max(1, static_cast<int>(std::lround(kGameMenuFontHeight * scale))));
  return f;
}

// The virtual-key code of a shortcut key (the function keys and Esc), 0 for any other.
uint16_t ShortcutKey(int qt_key) {
  if (qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F24) return static_cast<uint16_t>(0x70 + (qt_key - Qt::Key_F1));
  return qt_key == Qt::Key_Escape ? 27 : 0;
}

}  // namespace

GameMenus::GameMenus(TForm1 &form) : form_(form) {
  shell_open = Plat_Shell_Open;
  end_program = [] { QCoreApplication::exit(0); };

  pm_0_menu = new QMenu(&form_);
  pm_0_menu->setObjectName("pm_0_menu");
  QAction **named[] = {&pm_1_about,  &pm_2_readme,        &pm_3_whatsnew, &pm_5_n1,  &pm_6_config,
                       &pm_7_keys,   &pm_8_hiscore,       &pm_9_n2,       &pm_11_splashscreen,
                       &pm_13_n3,    &pm_14_exit,         &pm_15_n4,      &pm_16_original_size,
                       &pm_17_window};
  const std::span<const MenuEntry> table = Ui_Menu_Entries();
  for (size_t n = 0; n < table.size(); ++n) {
    QAction *a = AddEntry(table[n]);
    if (n < std::size(named)) *named[n] = a;
  }
  pm_11_splashscreen->setChecked(true);
  pm_16_original_size->setChecked(!form_.FitToScreen());
  pm_17_window->setChecked(form_.WindowMode());

  BuildLcdMenu();

  connect(pm_0_menu, &QMenu::aboutToShow, this, [this] { pm_0_menuPopup(); });

  // The game menu starts closed: only the icon of its picture shows.
  Lcd &lcd = form_.game.lcd;
  Use_Pixel_Scale(form_.game.screen ? form_.game.screen->PixelScale() : 1.0);
  Lcd_Set_Rect(lcd, el::btn_game_menu_background, kGameMenuClosed);
  Lcd_Set_Rect(lcd, el::btn_game_menu_top, kGameMenuClosed);
  lcd.e[el::im_logo].hint = "Click to open website";
}

void GameMenus::Use_Pixel_Scale(double pixel_scale) {
  if (icon_ && pixel_scale == pixel_scale_) return;
  pixel_scale_ = pixel_scale;
  // The closed menu shows only its icon: the whole picture (some megabytes on a large screen) is
  // kept only while the menu is open.
  const PictureRef whole = App_Picture("game_menu", pixel_scale);
  icon_ = nullptr;
  if (whole) {
    const int k = std::max(1, whole->scale);
    auto icon = std::make_shared<Picture>();
    icon->scale = k;
    icon->opaque = whole->opaque;
    icon->width = std::min(whole->width, kGameMenuClosed.width * k);
    icon->height = std::min(whole->height, kGameMenuClosed.height * k);
    icon->pixels.resize(static_cast<size_t>(icon->width) * icon->height);
    for (int y = 0; y < icon->height; ++y)
      std::copy_n(whole->pixels.begin() + static_cast<std::ptrdiff_t>(y) * whole->width, icon->width,
                  icon->pixels.begin() + static_cast<std::ptrdiff_t>(y) * icon->width);
    icon_ = std::move(icon);
  }
  ShowMenuPicture();
}

void GameMenus::ShowMenuPicture() {
  Lcd &lcd = form_.game.lcd;
  PictureRef pic = form_.game.menu_open ? App_Picture("game_menu", pixel_scale_) : icon_;
  if (pic && pic != lcd.e[el::btn_game_menu_background].pic) Lcd_Set_Picture(lcd, el::btn_game_menu_background, std::move(pic));
}

GameMenus::~GameMenus() {
  for (QPointer<QLabel> &la : menu_labels)
    if (la) la->deleteLater();
}

QAction *GameMenus::AddEntry(const MenuEntry &e) {
  QAction *a;
  if (e.Separator()) {
    a = pm_0_menu->addSeparator();
  } else {
    // The text after the tab is shown at the right of the entry; the keys themselves are handled
    // by the game window (FormShortcut), so an open menu keeps its own use of Esc.
    a = pm_0_menu->addAction(e.shortcut ? QString("%1\t%2").arg(e.caption, e.shortcut) : QString(e.caption));
    a->setEnabled(e.enabled);
    a->setCheckable(e.checkable);
    if (e.is_default) pm_0_menu->setDefaultAction(a);
    connect(a, &QAction::triggered, this, [this, c = e.command] { Run(c); });
  }
  a->setObjectName(e.name);
  const int i = static_cast<int>(entries.size()) + 1;
  if (i <= kMenuItems) menu_items[i] = a;
  entries.push_back(a);
  return a;
}

void GameMenus::Run(MenuCommand c) {
  switch (c) {
    case MenuCommand::About: pm_1_aboutClick(); break;
    case MenuCommand::Readme: pm_2_readmeClick(); break;
    case MenuCommand::Config: pm_6_configClick(); break;
    case MenuCommand::Keys: pm_7_keysClick(); break;
    case MenuCommand::ResetHiscores: pm_8_hiscoreClick(); break;
    case MenuCommand::SplashScreen: pm_11_splashscreenClick(); break;
    case MenuCommand::Exit: pm_14_exitClick(); break;
    case MenuCommand::OriginalSize: pm_16_original_sizeClick(); break;
    case MenuCommand::WindowMode: pm_17_windowClick(); break;
    case MenuCommand::Whatsnew:
    case MenuCommand::None: break;
  }
}

void GameMenus::BuildLcdMenu() {
  pm_lcd_menu = new QMenu("LCD effects", pm_0_menu);
  pm_lcd_menu->setObjectName("pm_lcd_menu");
  pm_lcd_menu->menuAction()->setObjectName("pm_lcd");
  pm_lcd_classic = pm_lcd_menu->addAction("Classic (no effects)");
  pm_lcd_classic->setObjectName("pm_lcd_classic");
  pm_lcd_menu->addSeparator();
  pm_lcd_ghost_menu = pm_lcd_menu->addMenu("Ghost segments");
  pm_lcd_ghost_menu->setObjectName("pm_lcd_ghost_menu");
  auto *steps = new QActionGroup(pm_lcd_ghost_menu);
  for (int g : Ui_Ghost_Steps()) {
    QAction *a = pm_lcd_ghost_menu->addAction(QString::fromStdString(Ui_Ghost_Step_Caption(g)));
    a->setData(g);
    a->setCheckable(true);
    steps->addAction(a);
    pm_lcd_ghost.push_back(a);
    connect(a, &QAction::triggered, this, [this, g] { LcdEffectsChosen(g); });
  }
  pm_lcd_shadow = pm_lcd_menu->addAction("Segment shadows");
  pm_lcd_shadow->setObjectName("pm_lcd_shadow");
  pm_lcd_fade = pm_lcd_menu->addAction("Response fade");
  pm_lcd_fade->setObjectName("pm_lcd_fade");
  for (QAction *a : {pm_lcd_classic, pm_lcd_shadow, pm_lcd_fade}) {
    a->setCheckable(true);
    connect(a, &QAction::triggered, this, [this] { LcdEffectsChosen(); });
  }
  pm_0_menu->insertMenu(pm_13_n3, pm_lcd_menu);
  connect(pm_lcd_menu, &QMenu::aboutToShow, this, [this] { ShowLcdEffects(); });
  ShowLcdEffects();
}

void GameMenus::ShowLcdEffects() {
  const LcdEffectSettings &s = form_.Lcd_Effects();
  pm_lcd_classic->setChecked(!s.enabled);
  pm_lcd_shadow->setChecked(s.shadow);
  pm_lcd_fade->setChecked(s.fade);
  // A strength set by hand between two steps shows at the nearest step.
  const int nearest = Ui_Nearest_Ghost_Step(s.ghost);
  for (QAction *a : pm_lcd_ghost)
    if (a->data().toInt() == nearest) a->setChecked(true);
  // Classic keeps the effects' settings for later but offers none of them.
  for (QAction *a : {pm_lcd_shadow, pm_lcd_fade, pm_lcd_ghost_menu->menuAction()}) a->setEnabled(s.enabled);
}

void GameMenus::LcdEffectsChosen(int ghost) {
  LcdEffectSettings s = form_.Lcd_Effects();
  s.enabled = !pm_lcd_classic->isChecked();
  s.shadow = pm_lcd_shadow->isChecked();
  s.fade = pm_lcd_fade->isChecked();
  if (ghost >= 0) s.ghost = ghost;  // a strength set by hand stays until a step is chosen
  form_.Set_Lcd_Effects(s);
  ShowLcdEffects();
}

bool GameMenus::Inside(int element_id, const QPoint &p) const {
  const Element &e = form_.game.lcd.e[element_id];
  return e.visible && Plat_QRect(e.rect).contains(p);
}

void GameMenus::CloseGameMenu() {
  // Called also while a row is delivering its own release event: the rows are only hidden here and
  // deleted once control is back in the event loop.
  for (QPointer<QLabel> &la : menu_labels) {
    if (!la) continue;
    la->hide();
    la->deleteLater();
  }
  menu_labels.clear();
}

void GameMenus::Vid_Display_Game_Menu() {
  CloseGameMenu();
  Lcd &lcd = form_.game.lcd;
  ShowMenuPicture();
  if (!form_.game.menu_open) {
    Lcd_Set_Rect(lcd, el::btn_game_menu_background, kGameMenuClosed);
    return;
  }
  for (int i = 1; i <= kMenuItems; ++i) {
    QAction *e = menu_items[i];
    const MenuEntry &entry = Ui_Menu_Entries()[i - 1];
    auto *la = new QLabel(&form_);
    la->setObjectName(QString("la_menu_item_%1").arg(i));
    // Rows of the skin's screen, scaled onto the window with the picture behind them.
    la->setGeometry(form_.view().Rounded(Ui_Game_Menu_Row(i)));
    la->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    la->setAutoFillBackground(false);
    la->setProperty(kItemProperty, i);
    if (!entry.Separator()) {
      la->setFont(RowFont(form_.view().scale));
      QPalette pal = la->palette();
      pal.setColor(QPalette::Active, QPalette::WindowText, Qt::white);
      pal.setColor(QPalette::Inactive, QPalette::WindowText, Qt::white);
      pal.setColor(QPalette::Disabled, QPalette::WindowText, QColor(128, 128, 128));
      pal.setColor(QPalette::Window, Qt::black);  // shown only while the row is highlighted
      la->setPalette(pal);
      la->setTextFormat(Qt::PlainText);
      la->setText(QString::fromStdString(Ui_Game_Menu_Row_Text(entry, e->isChecked())));
      la->setEnabled(e->isEnabled());
      if (e->isEnabled()) {
        la->setCursor(Qt::PointingHandCursor);
        la->installEventFilter(this);
      }
    }
    la->show();
    menu_labels.emplace_back(la);
  }
  Lcd_Set_Rect(lcd, el::btn_game_menu_background, kGameMenuOpen);
}

void GameMenus::btn_game_menu_topClick() {
  form_.game.menu_open = !form_.game.menu_open;
  Vid_Display_Game_Menu();
}

void GameMenus::pm_0_menuPopup() {
  const bool ticked = splash_checkbox ? splash_checkbox() : true;
  if (form_.store) pm_11_splashscreen->setChecked(form_.store->ReadBool("SplashScreen", ticked));
  pm_16_original_size->setChecked(!form_.FitToScreen());
  pm_17_window->setChecked(form_.WindowMode());
  if (form_.game.menu_open) {
    form_.game.menu_open = false;
    Vid_Display_Game_Menu();
  }
}

void GameMenus::Popup(const QPoint &global) { pm_0_menu->popup(global); }

void GameMenus::pm_1_aboutClick() {
  if (!about_form && make_windows) make_windows();
  if (!about_form) return;
  about_form->show();
  about_form->raise();
  about_form->activateWindow();
}

// A document that is missing, or that no program opens, is named to the player with its place.
void GameMenus::pm_2_readmeClick() { App_Open_Document(&form_, form_.cfg.InProgramFolder("Readme.txt"), shell_open); }

void GameMenus::pm_6_configClick() { App_Open_Document(&form_, form_.cfg.InProgramFolder("Config.ini"), shell_open); }

void GameMenus::pm_7_keysClick() {
  if (!keys_form && make_windows) make_windows();
  if (!keys_form) return;
  if (QScreen *s = QGuiApplication::primaryScreen()) {
    const QRect g = s->geometry();
    keys_form->move(g.left() + (g.width() - keys_form->width()) / 2,
                    g.top() + (g.height() - keys_form->height()) / 2);
  }
  // Kept above the game window it belongs to.
  keys_form->winId();
  if (form_.windowHandle() && keys_form->windowHandle())
    keys_form->windowHandle()->setTransientParent(form_.windowHandle());
  keys_form->show();
  keys_form->raise();
  keys_form->activateWindow();
  form_.setEnabled(false);
}

void GameMenus::pm_8_hiscoreClick() {
  // The panel keeps showing an old high score until it is next drawn.
  form_.game.hiscore_a = 0;
  if (form_.store) form_.store->WriteInteger("HiScore1", 0);
  form_.game.hiscore_b = 0;
  if (form_.store) form_.store->WriteInteger("HiScore2", 0);
  QApplication::beep();
}

void GameMenus::pm_11_splashscreenClick() {
  if (form_.store) form_.store->WriteBool("SplashScreen", pm_11_splashscreen->isChecked());
}

void GameMenus::pm_14_exitClick() { end_program(); }

void GameMenus::pm_16_original_sizeClick() { form_.SetFitToScreen(!pm_16_original_size->isChecked()); }

void GameMenus::pm_17_windowClick() { form_.SetWindowMode(pm_17_window->isChecked()); }

void GameMenus::im_logoClick() { shell_open(kStudioWebsite); }

void GameMenus::la_menu_itemMouseEnter(QObject *sender) {
  for (QPointer<QLabel> &la : menu_labels)
    if (la && la == sender) la->setAutoFillBackground(true);
}

void GameMenus::la_menu_itemMouseLeave(QObject *sender) {
  for (QPointer<QLabel> &la : menu_labels)
    if (la && la == sender) la->setAutoFillBackground(false);
}

void GameMenus::la_menu_itemMouseUp(QObject *) {
  form_.game.menu_open = false;
  Vid_Display_Game_Menu();
}

bool GameMenus::FormShortcut(int qt_key, Qt::KeyboardModifiers mods) {
  const Qt::KeyboardModifiers m = mods & ~Qt::KeypadModifier;
  const MenuEntry *e = Ui_Menu_Shortcut(ShortcutKey(qt_key), m & Qt::ShiftModifier, m & Qt::ControlModifier,
                                        m & (Qt::AltModifier | Qt::MetaModifier));
  if (!e || m != Qt::NoModifier) return false;
  QAction *a = entries.at(static_cast<size_t>(e - Ui_Menu_Entries().data()));
  if (a->isEnabled()) a->trigger();
  return true;
}

bool GameMenus::MouseDown(QMouseEvent *e) {
  if (e->button() != Qt::LeftButton) return false;
  const QPoint p = form_.view().ToSkin(e->position());
  pressed_ = Pressed::None;
  if (Inside(el::btn_game_menu_top, p)) pressed_ = Pressed::Icon;
  else if (Inside(el::btn_game_menu_background, p)) pressed_ = Pressed::None;  // title bar, rows: nothing
  else if (Inside(el::im_logo, p)) pressed_ = Pressed::Logo;
  else return false;
  return true;
}

bool GameMenus::MouseUp(QMouseEvent *e) {
  if (e->button() != Qt::LeftButton || pressed_ == Pressed::None) return false;
  const Pressed was = pressed_;
  pressed_ = Pressed::None;
  // A click: pressed and released on the same element.
  const QPoint p = form_.view().ToSkin(e->position());
  if (was == Pressed::Icon && Inside(el::btn_game_menu_top, p)) btn_game_menu_topClick();
  else if (was == Pressed::Logo && Inside(el::im_logo, p)) im_logoClick();
  return true;
}

bool GameMenus::HandCursorAt(const QPoint &p) const { return Inside(el::btn_game_menu_top, p); }

bool GameMenus::eventFilter(QObject *watched, QEvent *e) {
  auto *la = qobject_cast<QLabel *>(watched);
  if (!la) return false;
  switch (e->type()) {
    case QEvent::Enter:
      la_menu_itemMouseEnter(la);
      return false;
    case QEvent::Leave:
      la_menu_itemMouseLeave(la);
      return false;
    case QEvent::ContextMenu:
      Popup(static_cast<QContextMenuEvent *>(e)->globalPos());
      return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      // Taking the press captures the mouse: the release comes back to this row wherever it happens.
      auto *me = static_cast<QMouseEvent *>(e);
      return me->button() == Qt::LeftButton;
    }
    case QEvent::MouseButtonRelease: {
      auto *me = static_cast<QMouseEvent *>(e);
      if (me->button() != Qt::LeftButton) return true;
      const int i = la->property(kItemProperty).toInt();
      const bool over = la->rect().contains(me->position().toPoint());
      QPointer<QLabel> guard(la);
      if (over && i >= 1 && i <= kMenuItems && menu_items[i]->isEnabled()) menu_items[i]->trigger();
      la_menu_itemMouseUp(guard.data());
      return true;
    }
    default:
      return false;
  }
}
