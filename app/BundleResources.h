#pragma once
// The program's resources: those compiled into it (":/...") and the files
// installed beside it, such as the user manual that the desktop's viewer
// opens.
#include <QString>
#include <QUrl>

// The path of resource name.type: compiled in, else a file in the program's
// folder or in its installed data folder. Empty when there is none.
QString PathForResource(const QString& name, const QString& type);

// A file URL of a resource file on disk; invalid when there is none (a
// compiled-in resource has no file another program could open).
QUrl URLForResource(const QString& name, const QString& type);
