#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QImage>
#include <QObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QVariantMap>
#include <memory>

// A session bus of the test's own: dbus-daemon with a minimal configuration
// that activates no services, so nothing real can answer on it.
class PrivateBus {
 public:
  PrivateBus() = default;
  ~PrivateBus();
  PrivateBus(const PrivateBus&) = delete;
  PrivateBus& operator=(const PrivateBus&) = delete;

  // Starts the daemon; returns why it could not, or an empty text.
  QString start();
  const QString& address() const { return address_; }

 private:
  QTemporaryDir dir_;
  QProcess daemon_;
  QString address_;
};

class FakeRequest;

// Stands in for xdg-desktop-portal's Screenshot interface on a private bus.
// It answers the way it was told to, and keeps what the caller sent.
class FakePortal : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Screenshot")

 public:
  enum class Answer {
    Picture,             // a PNG, a little after the reply
    PictureBeforeReply,  // a PNG, announced before the call's reply goes out
    PictureOnOwnPath,    // a PNG, on a request path of the portal's choosing (old portals)
    Cancelled,           // the user said no
    Failed,              // the interaction ended some other way
    NoUri,               // success, but no picture named
    NotAPicture,         // success, naming a file that holds no picture
    ErrorReply,          // the call itself is refused
    Silence,             // never answers
  };
  Q_ENUM(Answer)

  FakePortal(QDBusConnection bus, QString pictureDir, Answer answer);
  ~FakePortal() override;

  // Registers the portal object and takes the portal's bus name.
  bool publish();

  // What the last call brought, and what was made of it.
  int calls = 0;
  QString parentWindow;
  QVariantMap options;
  QString handle;       // the request path the portal answered with
  QString pictureFile;  // the file named in the answer, if one was written
  QImage picture;       // what that file holds
  bool closed = false;  // Close was called on the request

 public slots:
  QDBusObjectPath Screenshot(const QString& parentWindow, const QVariantMap& options);

 private:
  void answer();
  QVariantMap writePicture();

  QDBusConnection bus_;
  QString pictureDir_;
  Answer answer_;
  std::unique_ptr<FakeRequest> request_;
};
