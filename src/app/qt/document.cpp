#include "app/qt/document.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QVBoxLayout>

#include "platform/files.h"

namespace {

constexpr const char *kTitle = "Kellup Tusko Lumo Special Edition";
constexpr size_t kMaxShown = 4u << 20;  // the largest Config.ini the program reads

// A plain read-only window with the file's text; Esc or Close ends it.
void ShowText(QWidget *parent, const QString &path, const QString &text) {
  auto *d = new QDialog(parent, Qt::Dialog | Qt::WindowCloseButtonHint | Qt::WindowTitleHint);
  d->setAttribute(Qt::WA_DeleteOnClose);
  d->setObjectName("DocumentWindow");
  const QString name = QFileInfo(path).fileName();
  d->setWindowTitle(name + " - " + kTitle);
  auto *layout = new QVBoxLayout(d);
  auto *where = new QLabel(QString("No program on this desktop opens '%1', so it is shown here. The file is at:\n%2")
                               .arg(name, QDir::toNativeSeparators(path)),
                           d);
  where->setObjectName("la_where");
  where->setWordWrap(true);
  where->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto *view = new QPlainTextEdit(d);
  view->setObjectName("te_text");
  view->setReadOnly(true);
  view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  view->setLineWrapMode(QPlainTextEdit::NoWrap);
  view->setPlainText(text);
  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, d);
  QObject::connect(buttons, &QDialogButtonBox::rejected, d, &QDialog::reject);
  layout->addWidget(where);
  layout->addWidget(view, 1);
  layout->addWidget(buttons);
  // Room for 90 columns and 36 lines of the text where the screen has it.
  const QFontMetrics fm(view->font());
  QSize size(fm.horizontalAdvance(QString(90, 'M')) + 40, fm.lineSpacing() * 36 + 120);
  if (const QScreen *s = d->screen()) size = size.boundedTo(s->availableGeometry().size() * 9 / 10);
  d->resize(size);
  d->show();
  d->raise();
  d->activateWindow();
}

}  // namespace

void App_Open_Document(QWidget *parent, const std::string &path,
                       const std::function<bool(const std::string &)> &open) {
  const QString qpath = QString::fromStdString(path);
  const QString name = QFileInfo(qpath).fileName();
  std::string bytes;
  const std::string found = Sys_Find_File(path);
  if (found.empty() || !Sys_Read_File(found, bytes, kMaxShown)) {
    auto *box = new QMessageBox(QMessageBox::Warning, kTitle,
                                QString("'%1' could not be opened: it is not there or cannot be read.\n\n"
                                        "It was looked for at:\n%2")
                                    .arg(name, QDir::toNativeSeparators(qpath)),
                                QMessageBox::Ok, parent);
    box->setObjectName("DocumentMissing");
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    return;
  }
  if (open && open(path)) return;
  ShowText(parent, qpath, QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())));
}
