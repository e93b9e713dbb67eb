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

// A library's own words (or what was thrown) are kept as they were given,
// behind the sentence: it is what a bug report needs.
QString withDetail(const QString& sentence, const std::string& detail)
{
    if (detail.empty()) return sentence;
    return sentence + QStringLiteral(" (") + QString::fromStdString(detail) + QLatin1Char(')');
}

// The heading sentence, then the rule broken.
QString withRefusal(const QString& sentence, const Error& error)
{
    if (error.refusal == Refusal::None) return withDetail(sentence, error.detail);
    return sentence + QLatin1Char(' ') + Messages::refusal(error);
}

QString hexColour(std::uint32_t rgb)
{
    return QStringLiteral("#%1").arg(rgb & 0xFFFFFFu, 6, 16, QLatin1Char('0')).toUpper();
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
    case ErrorCode::InvalidImage: return withRefusal(tr("저장할 수 없는 그림입니다."), error);
    case ErrorCode::CannotEncode: return withRefusal(tr("PNG로 바꿀 수 없습니다."), error);
    case ErrorCode::InvalidPalette: return withRefusal(tr("팔레트 파일이 아니거나 망가졌습니다."), error);
    case ErrorCode::CannotPack: return withRefusal(tr("컨테이너에 넣을 수 없는 그림입니다."), error);
    case ErrorCode::Internal: return withDetail(tr("예상하지 못한 오류입니다."), error.detail);
    case ErrorCode::CannotEncodeGif: return withRefusal(tr("GIF로 바꿀 수 없습니다."), error);
    case ErrorCode::NoFrames: return tr("그릴 수 있는 항목이 없어 GIF를 만들지 않았습니다.");
    case ErrorCode::Cancelled: return tr("취소했습니다.");
    case ErrorCode::CannotOpen:
        return error.systemError != 0 ? systemReason(error.systemError) : tr("읽을 수 없습니다.");
    case ErrorCode::WriteFailed:
        return error.systemError != 0 ? systemReason(error.systemError) : tr("쓸 수 없습니다.");
    case ErrorCode::CannotMakeFolder:
        return error.systemError != 0 ? systemReason(error.systemError) : tr("폴더를 만들 수 없습니다.");
    }
    return tr("알 수 없는 오류입니다.");
}

QString Messages::fieldName(ColourField field)
{
    switch (field) {
    case ColourField::Red: return tr("빨강");
    case ColourField::Green: return tr("초록");
    case ColourField::Blue: return tr("파랑");
    }
    return {};
}

QString Messages::rule(const Error& e)
{
    const QString line = tr("%1번째 줄:").arg(e.line) + QLatin1Char(' ');
    const QString token = QString::fromStdString(e.token);
    const QString fileName = QString::fromStdString(e.fileName);
    switch (e.refusal) {
    case Refusal::None: return withDetail(QString(), e.detail).trimmed();

    case Refusal::PaletteEmpty: return tr("빈 파일입니다.");
    case Refusal::PaletteTooLong:
        return tr("파일이 %1바이트입니다. 팔레트 파일은 %2바이트까지입니다.")
            .arg(e.actualLength)
            .arg(e.limit);
    case Refusal::PaletteName: return tr("파일 이름이 .gpl, .pal, .act로 끝나지 않습니다.");
    case Refusal::PaletteSwatch: return tr("견본 이미지는 쓰기만 하고 팔레트로 읽지 않습니다.");
    case Refusal::PaletteUnknownFormat: return tr("알 수 없는 팔레트 형식입니다.");
    case Refusal::PaletteBadByte:
        return line +
               tr("텍스트 팔레트에 올 수 없는 바이트 %1이(가) 있습니다.")
                   .arg(QStringLiteral("0x") +
                        QString::number(e.value & 0xFF, 16).rightJustified(2, QLatin1Char('0')).toUpper());
    case Refusal::PaletteNotGimp: return line + tr("GIMP 팔레트의 머리글이 없습니다.");
    case Refusal::PaletteColumns: return line + tr("열 수가 0에서 256 사이의 숫자가 아닙니다.");
    case Refusal::PaletteNoColours: return tr("팔레트에 색이 없습니다.");
    case Refusal::PaletteNotJasc: return line + tr("JASC 팔레트의 머리글이 없습니다.");
    case Refusal::PaletteVersion: return line + tr("버전이 0100이 아닙니다.");
    case Refusal::PaletteCount: return line + tr("색 개수가 1에서 256 사이의 숫자가 아닙니다.");
    case Refusal::PaletteEndsEarly:
        return tr("색 %1개 중 %2개만 읽고 파일이 끝납니다.").arg(e.limit).arg(e.count);
    case Refusal::PaletteExtraValue: return line + tr("값이 세 개보다 많습니다(\"%1\").").arg(token);
    case Refusal::PaletteBeyondCount: return line + tr("색이 적힌 개수 %1개보다 많습니다.").arg(e.limit);
    case Refusal::PaletteMissingValue: return line + tr("%1 값이 없습니다.").arg(fieldName(e.field));
    case Refusal::PaletteNegative:
        return line +
               tr("%1 값이 음수입니다(\"%2\"). 색 값은 0에서 255까지입니다.").arg(fieldName(e.field), token);
    case Refusal::PaletteNotNumber:
        return line + tr("%1 값이 숫자가 아닙니다(\"%2\").").arg(fieldName(e.field), token);
    case Refusal::PaletteOver255:
        return line + tr("%1 값이 255보다 큽니다(\"%2\").").arg(fieldName(e.field), token);
    case Refusal::PaletteTooManyColours: return line + tr("색이 %1개보다 많습니다.").arg(e.limit);
    case Refusal::PaletteActLength:
        return tr("파일이 %1바이트입니다. Adobe 색상표는 768바이트나 772바이트입니다.").arg(e.actualLength);
    case Refusal::PaletteActCount:
        return tr("%1~%2번째 바이트의 색 개수가 %3입니다. 1에서 256 사이여야 합니다.")
            .arg(e.offset)
            .arg(e.offset + 1)
            .arg(e.count);
    case Refusal::PaletteColourCount:
        return tr("색이 %1개입니다. 팔레트 파일에는 색을 1개에서 256개까지 넣을 수 있습니다.").arg(e.count);

    case Refusal::PngUnreadable: return withDetail(tr("PNG 파일을 읽을 수 없습니다."), e.detail);
    case Refusal::PngAncillaryChunk:
        return withDetail(tr("PNG 파일의 부가 정보(텍스트, 색 프로필 등)가 망가졌습니다."), e.detail);
    case Refusal::PngUnexpectedSize: return tr("PNG 파일을 읽을 수 없습니다. 그림 크기가 맞지 않습니다.");
    case Refusal::PictureTooWide:
        return tr("그림이 %1 x %2 픽셀입니다. 항목은 가로와 세로 모두 %3픽셀까지입니다.")
            .arg(e.imageWidth)
            .arg(e.imageHeight)
            .arg(e.limit);
    case Refusal::PictureTooManyPixels:
        return tr("그림이 %1 x %2 픽셀입니다. 넣을 그림은 %3픽셀까지입니다.")
            .arg(e.imageWidth)
            .arg(e.imageHeight)
            .arg(e.limit);
    case Refusal::IndexPastPalette:
        return tr("픽셀 (%1, %2)의 색 번호가 %3입니다. 팔레트에는 색이 %4개뿐입니다.")
            .arg(e.x)
            .arg(e.y)
            .arg(e.value)
            .arg(e.count);
    case Refusal::OnlyIndex0Transparent:
        return (e.alpha == 0
                    ? tr("픽셀 (%1, %2)이 투명합니다(색 번호 %3, 알파 %4). 투명해도 되는 색은 0번뿐입니다.")
                    : tr("픽셀 (%1, %2)이 반투명합니다(색 번호 %3, 알파 %4). 투명해도 되는 색은 "
                         "0번뿐입니다."))
            .arg(e.x)
            .arg(e.y)
            .arg(e.value)
            .arg(e.alpha);
    case Refusal::PaletteColourMarker:
        return tr("팔레트의 %1번 색(%2)에 FF FE 바이트가 들어 있어 저장한 팔레트가 거기서 끝나 버립니다.")
            .arg(e.value)
            .arg(hexColour(e.rgb[0]));
    case Refusal::PaletteColoursMarker:
        return tr("팔레트의 %1번 색과 %2번 색(%3, %4)이 이어져 FF FE 바이트가 되므로 저장한 팔레트가 거기서 "
                  "끝나 "
                  "버립니다. 팔레트 그림의 색 순서는 픽셀 값이므로 바꾸지 않습니다.")
            .arg(e.value)
            .arg(e.value + 1)
            .arg(hexColour(e.rgb[0]), hexColour(e.rgb[1]));
    case Refusal::SixteenBitSample:
        return tr("16비트 그림입니다. 8비트로 바꾸어 주십시오. 픽셀 (%1, %2)의 값은 8비트 값으로 나타낼 수 "
                  "없습니다.")
            .arg(e.x)
            .arg(e.y);
    case Refusal::TransparentPixel:
        return tr("픽셀 (%1, %2)이 투명합니다. 투명한 픽셀에 쓸 값이 없습니다.").arg(e.x).arg(e.y);
    case Refusal::SemiTransparentPixel:
        return tr("픽셀 (%1, %2)이 반투명합니다(알파 %3).").arg(e.x).arg(e.y).arg(e.alpha);
    case Refusal::TooManyColours:
        return tr("색이 %1개입니다. 한 항목에는 %2색까지 넣을 수 있습니다.").arg(e.count).arg(e.limit);
    case Refusal::TooManyBesidesValue0:
        return tr("색이 %1개입니다. 한 항목에는 투명한 픽셀에 쓰는 0번 말고 %2색까지 넣을 수 있습니다.")
            .arg(e.count)
            .arg(e.limit);
    case Refusal::ColourMarker:
        return tr("색 %1에 FF FE 바이트가 들어 있어 저장한 팔레트가 거기서 끝나 버립니다.")
            .arg(hexColour(e.rgb[0]));
    case Refusal::NoMarkerFreeOrder:
        return tr("어떤 순서로 저장해도 색 사이에 FF FE 바이트가 생깁니다. FE로 시작해 FF로 끝나는 색이 너무 "
                  "많습니다.");

    case Refusal::NoFirstPicture: return tr("폴더에 %1 파일이 없습니다.").arg(fileName);
    case Refusal::PicturesPastLimit:
        return tr("폴더에 %1까지 그림이 있습니다. 컨테이너에는 항목을 %2개까지 넣을 수 있습니다.")
            .arg(fileName)
            .arg(e.limit);
    case Refusal::PictureMissing:
        return tr("%1 파일이 없습니다. 그림은 000.png부터 %2까지 빠짐없이 있어야 합니다.")
            .arg(fileName, QString::fromStdString(e.lastFileName));
    case Refusal::ChangedWhilePacked: return tr("넣는 사이에 그림 파일이 바뀌었습니다.");
    case Refusal::NoSuchRow:
        return tr("항목 %1은(는) 없습니다. 파일에는 항목이 %2개 있습니다.").arg(e.row).arg(e.count);
    case Refusal::RowPastEnd:
        return tr("크기 표가 항목 %1의 자리를 %2바이트로 적고 있어 파일 끝(%3바이트)을 넘습니다. 그래서 "
                  "항목을 "
                  "다시 쓸 수 없습니다.")
            .arg(e.row)
            .arg(e.offset)
            .arg(e.actualLength);
    case Refusal::NotDecodedBack:
        return tr("항목 %1을(를) 바꾸면 새 그림대로 읽히지 않습니다. 뒤 항목이 FF FE 바이트로 시작해 이 "
                  "항목의 "
                  "일부로 읽히기 때문입니다.")
            .arg(e.row);
    case Refusal::RowBeforeChanged:
        return tr("항목 %1이(가) 전과 다르게 읽히게 됩니다. 이 항목이 FF로 끝나서 뒤에 올 바이트와 함께 "
                  "반복 코드가 되기 때문입니다.")
            .arg(e.row);
    case Refusal::NoRowsLeft:
        return tr("항목을 모두 지울 수는 없습니다. 파일에는 항목이 하나 이상 있어야 합니다.");

    case Refusal::SideOutOfRange: return tr("가로와 세로는 0에서 32767 사이여야 합니다.");
    case Refusal::PixelCountMismatch: return tr("픽셀 수가 가로 곱하기 세로와 다릅니다.");
    case Refusal::WriterTooManyColours: return tr("색이 256개보다 많습니다.");
    case Refusal::PixelWithoutColour: return tr("픽셀 값 %1에 해당하는 색이 없습니다.").arg(e.value);
    case Refusal::WriterColourMarker:
        return tr("%1번 색에 FF FE 바이트가 들어 있어 팔레트가 거기서 끝나 버립니다.").arg(e.value);
    case Refusal::WriterColoursMarker:
        return tr("%1번 색과 %2번 색이 이어져 FF FE 바이트가 되므로 팔레트가 거기서 끝나 버립니다.")
            .arg(e.value)
            .arg(e.value + 1);
    case Refusal::LastColourMeetsNext: return tr("마지막 색이 FF로 끝나고 다음 항목이 FE로 시작합니다.");
    case Refusal::TooManyEntries:
        return tr("항목이 %1개입니다. 컨테이너에는 항목을 %2개까지 넣을 수 있습니다.")
            .arg(e.count)
            .arg(e.limit);
    case Refusal::EntryTooLarge:
        return tr("항목 %1이(가) %2바이트입니다. 마지막이 아닌 항목은 %3바이트까지입니다.")
            .arg(e.entry)
            .arg(e.count)
            .arg(e.limit);

    case Refusal::EncoderOutOfMemory: return tr("메모리가 부족합니다.");
    case Refusal::NoPixels: return tr("그림에 픽셀이 없습니다.");
    case Refusal::PixelBytesMismatch: return tr("픽셀 바이트 수가 그림 크기와 맞지 않습니다.");
    case Refusal::IndicesMismatch: return tr("색 번호의 수가 그림 크기와 맞지 않습니다.");
    case Refusal::PngPaletteSize: return tr("PNG 팔레트에는 색을 1개에서 256개까지 넣을 수 있습니다.");
    case Refusal::PngPaletteOrAlphaSize:
        return tr("PNG 팔레트에는 색을 1개에서 256개까지 넣을 수 있고, 알파 값이 색보다 많을 수 없습니다.");
    case Refusal::MoreAlphaThanColours: return tr("알파 값이 색보다 많습니다.");
    case Refusal::PngIndexPastPalette: return tr("팔레트를 벗어나는 색 번호가 있습니다.");

    case Refusal::SheetTooLarge: return tr("시트가 만들 수 있는 크기보다 큽니다.");
    }
    return withDetail(QString(), e.detail).trimmed();
}

QString Messages::refusal(const Error& error)
{
    // a writer rule broken in one entry of several names it
    if (error.entry >= 0 && error.refusal != Refusal::EntryTooLarge)
        return tr("항목 %1:").arg(error.entry) + QLatin1Char(' ') + rule(error);
    return rule(error);
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

QString Messages::unsynced(const QString& folder, const Error& error)
{
    return tr("내보낸 그림을 디스크에 기록하지 못했습니다.\n%1\n%2").arg(folder, reason(error));
}

QString Messages::replaceFailed(const QString& path, const Error& error)
{
    return tr("항목을 바꿀 수 없습니다.\n%1\n%2").arg(path, reason(error));
}

QString Messages::editFailed(const QString& path, const Error& error)
{
    return tr("편집할 수 없습니다.\n%1\n%2").arg(path, reason(error));
}

QString Messages::containerSaveFailed(const QString& path, const Error& error)
{
    return tr("저장하지 못했습니다. 편집한 내용은 그대로 있습니다.\n%1\n%2").arg(path, reason(error));
}

}  // namespace zpk
