#pragma once
#include <QObject>
#include <QString>

// One running copy per user and settings file, so that two copies never write their values over
// each other's: an exclusive lock on the settings folder itself, which the system lets go of when
// the copy holding it ends, however it ends (a killed copy leaves nothing stuck), and which no file
// left in the folder can take away; and a socket with a name of its own (nothing on the disk) by
// which a later copy asks the running one to come to the front.
class QSocketNotifier;
class InstanceLock : public QObject {
  Q_OBJECT
 public:
  ~InstanceLock() override;
  // Takes the lock for settings_file; false when another copy holds it.
  bool Acquire(const QString &settings_file);
  // Asks the copy that holds the lock to come to the front; false when it does not answer.
  bool AskRunningToFront();

 signals:
  // A later copy asked this one to come to the front.
  void FrontRequested();

 private:
  int fd_ = -1;
  QString settings_file_;
  int socket_ = -1;                       // the listening socket
  QSocketNotifier *notifier_ = nullptr;  // its connections
};
