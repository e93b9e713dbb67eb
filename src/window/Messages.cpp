#include "window/Messages.h"

#include "window/Language.h"

#include <QFile>

#include <cerrno>
#include <locale.h>
#include <string.h>
#include <system_error>

namespace zpk {

namespace {

QString pathOf(const Error& error) { return QFile::decodeName(error.path.c_str()); }

// The system's words for an errno value in English, whatever locale the
// environment chose: strerror as the C locale says it.
QString englishSystemReason(int systemError)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
    if (cLocale == locale_t{}) return QString::fromStdString(std::system_category().message(systemError));
    return QString::fromLocal8Bit(strerror_l(systemError, cLocale));
}

// A library's or the writer's own reason is kept as it was given, behind
// the sentence: it is what a bug report needs.
QString withDetail(const QString& sentence, const std::string& detail)
{
    if (detail.empty()) return sentence;
    return sentence + QStringLiteral(" (") + QString::fromStdString(detail) + QLatin1Char(')');
}

}  // namespace

QString Messages::systemReason(int systemError)
{
    switch (systemError) {
    case ENOENT:
    case ENOTDIR: return tr("파일이나 폴더가 없습니다.");
    case EACCES:
    case EPERM: return tr("권한이 없습니다.");
    case EISDIR: return tr("파일이 아니라 폴더입니다.");
    case EFBIG: return tr("파일이 너무 큽니다.");
    case ENOSPC: return tr("디스크에 남은 공간이 없습니다.");
    case EROFS: return tr("읽기 전용 파일 시스템입니다.");
    case ELOOP: return tr("심볼릭 링크가 너무 많이 이어집니다.");
    case ENAMETOOLONG: return tr("파일 이름이 너무 깁니다.");
    default: break;
    }
    if (currentLanguage() == Language::English) return englishSystemReason(systemError);
    return tr("시스템 오류 %1").arg(systemError);
}

QString Messages::reason(const Error& error)
{
    switch (error.code) {
    case ErrorCode::NotRegularFile: return tr("일반 파일이 아닙니다.");
    case ErrorCode::Exists: return tr("같은 이름의 파일이 이미 있습니다.");
    case ErrorCode::TooShort: return tr("올바른 zpk 파일이 아닙니다.");
    case ErrorCode::TooLarge: return tr("파일이 너무 큽니다.");
    case ErrorCode::NoData:
    case ErrorCode::EmptyImage: return tr("그림이 없습니다.");
    case ErrorCode::Busy: return tr("다른 프로그램이 파일을 바꾸는 중입니다.");
    case ErrorCode::ChangedOnDisk: return tr("그사이에 다른 프로그램이 파일을 바꾸었습니다.");
    case ErrorCode::WriteProtected: return tr("쓰기 금지된 파일입니다.");
    case ErrorCode::OutOfMemory: return tr("메모리가 부족합니다.");
    case ErrorCode::InvalidImage: return withDetail(tr("저장할 수 없는 그림입니다."), error.detail);
    case ErrorCode::CannotEncode: return withDetail(tr("PNG로 바꿀 수 없습니다."), error.detail);
    case ErrorCode::InvalidPalette:
        return withDetail(tr("팔레트 파일이 아니거나 망가졌습니다."), error.detail);
    case ErrorCode::CannotPack: return withDetail(tr("컨테이너에 넣을 수 없는 그림입니다."), error.detail);
    case ErrorCode::Internal: return withDetail(tr("예상하지 못한 오류입니다."), error.detail);
    case ErrorCode::CannotOpen:
        return error.systemError != 0 ? systemReason(error.systemError) : tr("읽을 수 없습니다.");
    case ErrorCode::WriteFailed:
        return error.systemError != 0 ? systemReason(error.systemError) : tr("쓸 수 없습니다.");
    case ErrorCode::CannotMakeFolder:
        return error.systemError != 0 ? systemReason(error.systemError) : tr("폴더를 만들 수 없습니다.");
    }
    return tr("알 수 없는 오류입니다.");
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

QString Messages::replaceFailed(const QString& path, const Error& error)
{
    return tr("항목을 바꿀 수 없습니다.\n%1\n%2").arg(path, reason(error));
}

}  // namespace zpk
