// The bytes the system takes for a path the window holds as a QString:
// those of the file name's own encoding, as QFile opens it.
#pragma once

#include <QFile>
#include <QString>

#include <string>

namespace zpk {

inline std::string systemPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace zpk
