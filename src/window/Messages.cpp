#include "window/Messages.h"

#include <QFile>

#include <cstring>

namespace zpk {

namespace {

QString pathOf(const Error& error) { return QFile::decodeName(error.path.c_str()); }

}  // namespace

QString Messages::reason(const Error& error)
{
    switch (error.code) {
    case ErrorCode::NotRegularFile: return tr("not a regular file");
    case ErrorCode::Exists: return tr("exists already");
    case ErrorCode::NoData: return tr("그림이 없습니다.");
    case ErrorCode::EmptyImage: return tr("그림이 없습니다.");
    case ErrorCode::OutOfMemory: return tr("메모리가 부족합니다.");
    case ErrorCode::CannotEncode:
    case ErrorCode::InvalidImage:
    case ErrorCode::Internal: return QString::fromStdString(error.detail);
    default: break;
    }
    // the system's own words, as it gives them
    return error.systemError != 0 ? QString::fromLocal8Bit(std::strerror(error.systemError)) : QString();
}

QString Messages::loadFailed(const Error& error)
{
    switch (error.code) {
    case ErrorCode::TooShort:
        return tr("올바른 zpk 파일이 아닙니다.\n%1\n파일 크기 %2 바이트, 필요한 크기 %3 바이트")
            .arg(pathOf(error))
            .arg(error.actualLength)
            .arg(error.neededLength);
    case ErrorCode::TooLarge: return tr("파일이 너무 큽니다.\n%1").arg(pathOf(error));
    default: return tr("파일을 열 수 없습니다.\n%1\n%2").arg(pathOf(error), reason(error));
    }
}

QString Messages::saveFailed(const QString& path, const Error& error)
{
    return tr("이미지를 저장할 수 없습니다.\n%1\n%2").arg(path, reason(error));
}

}  // namespace zpk
