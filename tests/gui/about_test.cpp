// The about window: Esc closes it whatever modifiers are held, the two links go to the desktop
// shell and close the window, and the portrait is there.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>

#include "app/qt/about.h"

namespace {

void Mouse(QWidget *w, QEvent::Type type, QPoint pos) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent e(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), Qt::LeftButton, held, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &e);
}

class AboutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    about.shell_open = [this](const std::string &what) { opened.push_back(what); };
    about.show();
  }
  TAboutForm about;
  std::vector<std::string> opened;
};

TEST_F(AboutTest, EscClosesWhateverModifiersAreHeld) {
  const Qt::KeyboardModifiers mods[] = {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier,
                                        Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier};
  for (Qt::KeyboardModifiers m : mods) {
    about.show();
    QKeyEvent other(QEvent::KeyPress, Qt::Key_Return, m);
    QCoreApplication::sendEvent(&about, &other);
    ASSERT_TRUE(about.isVisible()) << "other keys do nothing";
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, m);
    QCoreApplication::sendEvent(&about, &esc);
    EXPECT_FALSE(about.isVisible()) << m.toInt();
  }
  EXPECT_TRUE(opened.empty());
}

TEST_F(AboutTest, LinksGoToTheShellAndClose) {
  Mouse(about.la_website_2, QEvent::MouseButtonPress, QPoint(5, 5));
  Mouse(about.la_website_2, QEvent::MouseButtonRelease, QPoint(5, 5));
  EXPECT_EQ(opened, std::vector<std::string>{kStudioWebsite});
  EXPECT_FALSE(about.isVisible());

  // Shown again unchanged; the mail link builds a mailto: address.
  about.show();
  Mouse(about.la_email_2, QEvent::MouseButtonPress, QPoint(5, 5));
  Mouse(about.la_email_2, QEvent::MouseButtonRelease, QPoint(5, 5));
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[1], std::string("mailto:") + kStudioEmail);
  EXPECT_FALSE(about.isVisible());

  // Pressed on a link and released off it: no click.
  about.show();
  Mouse(about.la_email_2, QEvent::MouseButtonPress, QPoint(5, 5));
  Mouse(about.la_email_2, QEvent::MouseButtonRelease, QPoint(5, 40));
  EXPECT_EQ(opened.size(), 2u);
  EXPECT_TRUE(about.isVisible());
}

TEST_F(AboutTest, ShowsThePortrait) {
  const QPixmap portrait = about.im_picture->pixmap();
  ASSERT_FALSE(portrait.isNull());
  EXPECT_EQ(portrait.size(), QSize(116, 160));
  EXPECT_EQ(about.im_picture->geometry(), QRect(8, 8, 116, 160));
}

TEST_F(AboutTest, EveryLabelShowsItsWholeTextAtItsPlace) {
  // The places of the fact names; a text wider in the fonts at hand widens its label only.
  const std::pair<QLabel *, QPoint> places[] = {
      {about.la_name_1, {132, 8}},       {about.la_birthplace_1, {132, 32}}, {about.la_birthdate_1, {132, 56}},
      {about.la_job_1, {132, 80}},       {about.la_hobby_1, {132, 104}},     {about.la_website_1, {132, 128}},
      {about.la_email_1, {132, 152}},    {about.la_name_2, {212, 8}},        {about.la_website_2, {212, 128}},
      {about.la_email_2, {212, 152}}};
  for (const auto &[la, at] : places) {
    EXPECT_EQ(la->pos(), at) << la->objectName().toStdString();
    EXPECT_LE(la->fontMetrics().horizontalAdvance(la->text()), la->contentsRect().width())
        << la->objectName().toStdString() << " cuts off \"" << la->text().toStdString() << "\"";
  }
}

}  // namespace
