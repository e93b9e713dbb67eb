// The viewer's words for what went wrong: the error values of the floors
// below as the sentences its message boxes show, one item per line, in the
// interface's language (Korean in the source, English through the
// translation).
#pragma once

#include "state/Result.h"

#include <QCoreApplication>
#include <QString>

namespace zpk {

class Messages {
    Q_DECLARE_TR_FUNCTIONS(Messages)

public:
    // A failed load:
    //   "파일을 열 수 없습니다." / the path / the reason
    //   "올바른 zpk 파일이 아닙니다." / the path / "파일 크기 L 바이트, 필요한 크기 M 바이트"
    //   "파일이 너무 큽니다." / the path
    static QString loadFailed(const Error& error);

    // An image that could not be written: "이미지를 저장할 수 없습니다." / path / why.
    static QString saveFailed(const QString& path, const Error& error);
    // The pictures of an export could not be made durable (BatchResult::unsynced).
    static QString unsynced(const QString& folder, const Error& error);

    // An entry that could not be replaced ("바꾸기…"): "항목을 바꿀 수
    // 없습니다." / the file concerned (the PNG, the container, or the file
    // being written) / why.
    static QString replaceFailed(const QString& path, const Error& error);
    // An edit of the container refused: `path` is the picture or the container concerned.
    static QString editFailed(const QString& path, const Error& error);
    // The edited container could not be written to `path`.
    static QString containerSaveFailed(const QString& path, const Error& error);

    // Why a read, a write or an encoding failed, in a sentence.
    static QString reason(const Error& error);

    // The rule a palette, a picture, the container writer or the PNG
    // encoder refused by, with its facts: "3번째 줄: 빨강 값이 255보다
    // 큽니다("300")."; "항목 K: " in front when it was one entry of several.
    static QString refusal(const Error& error);

    // The system's reason for an errno value. The common ones have a
    // sentence of their own; any other is "시스템 오류 N" in Korean and the
    // system's own (untranslated) words in English.
    static QString systemReason(int systemError);

private:
    static QString rule(const Error& error);
    static QString fieldName(ColourField field);
};

}  // namespace zpk
