#pragma once
// One running instance per user session: the first registers the program
// on the session bus (the freedesktop Application interface), later starts
// hand their files to it and end. Without a session bus every start runs
// on its own.
#include <QObject>
#include <QStringList>

#include <functional>

namespace platform::ui {

class ApplicationService : public QObject {
    Q_OBJECT
public:
    using OpenFiles = std::function<void(const QStringList& paths)>;

    // Registers serviceName ("com.example.Program"); false when another
    // instance holds it and took the files.
    static bool registerOrHandOver(const QString& serviceName, const QStringList& paths, OpenFiles openFiles,
                                   QObject* owner);

    void Activate();
    void Open(const QStringList& uris);

private:
    explicit ApplicationService(OpenFiles openFiles, QObject* owner);
    OpenFiles m_openFiles;
};

} // namespace platform::ui
