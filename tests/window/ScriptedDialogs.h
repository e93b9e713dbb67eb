// Dialogs and message boxes answered by the test: each call goes to a
// function the test sets, or gets a plain answer (cancel, no) when none is
// set. Messages are kept in order.
#pragma once

#include "window/dialogs/WindowDialogs.h"

#include <QStringList>

#include <functional>

namespace zpk::windowtest {

class ScriptedDialogs : public WindowDialogs {
public:
    std::function<std::optional<QString>(const QString& folder)> onChooseFile;
    std::function<std::optional<QString>(const QString& suggested)> onChooseSavePath;
    std::function<std::optional<QString>(const QString& folder)> onChooseExportFolder;
    std::function<std::optional<QString>(const QString& folder)> onChoosePaletteFile;
    std::function<std::optional<QString>(const QString& suggested)> onChoosePaletteSavePath;
    std::function<std::optional<QString>(const QString& folder)> onChoosePicture;
    std::function<ReplaceAnswer(const ReplacePreview& preview)> onConfirmReplace;
    std::function<std::optional<QString>(const QString& suggested)> onChooseContainerSavePath;
    std::function<QStringList(const QString& folder)> onChoosePictures;
    std::function<std::optional<QString>(const QString& suggested)> onChooseGifSavePath;
    std::function<std::optional<QString>(const QString& folder)> onChooseComparedFile;
    std::function<bool(const QString& title, const QString& text)> onAskYesNo;
    std::function<SaveChoice(const QString& text)> onAskSaveChanges;
    std::function<void(const QString& title, const QString& text)> onMessage;
    std::function<void(const QString& text)> onInfo;

    QStringList messages;       // warnings shown, in order
    QStringList infos;          // reports shown, in order
    QStringList saveQuestions;  // "저장 / 버리기 / 취소" asked, in order

    std::optional<QString> chooseFile(QWidget*, const QString& folder, const QStringList&) override
    {
        return onChooseFile ? onChooseFile(folder) : std::nullopt;
    }
    std::optional<QString> chooseSavePath(QWidget*, const QString& suggested) override
    {
        return onChooseSavePath ? onChooseSavePath(suggested) : std::nullopt;
    }
    std::optional<QString> chooseExportFolder(QWidget*, const QString& folder) override
    {
        return onChooseExportFolder ? onChooseExportFolder(folder) : std::nullopt;
    }
    std::optional<QString> choosePaletteFile(QWidget*, const QString& folder) override
    {
        return onChoosePaletteFile ? onChoosePaletteFile(folder) : std::nullopt;
    }
    std::optional<QString> choosePaletteSavePath(QWidget*, const QString& suggested) override
    {
        return onChoosePaletteSavePath ? onChoosePaletteSavePath(suggested) : std::nullopt;
    }
    std::optional<QString> choosePicture(QWidget*, const QString& folder) override
    {
        return onChoosePicture ? onChoosePicture(folder) : std::nullopt;
    }
    QStringList choosePictures(QWidget*, const QString& folder) override
    {
        return onChoosePictures ? onChoosePictures(folder) : QStringList{};
    }
    ReplaceAnswer confirmReplace(QWidget*, const ReplacePreview& preview) override
    {
        return onConfirmReplace ? onConfirmReplace(preview) : ReplaceAnswer{};
    }
    std::optional<QString> chooseContainerSavePath(QWidget*, const QString& suggested) override
    {
        return onChooseContainerSavePath ? onChooseContainerSavePath(suggested) : std::nullopt;
    }
    std::optional<QString> chooseGifSavePath(QWidget*, const QString& suggested) override
    {
        return onChooseGifSavePath ? onChooseGifSavePath(suggested) : std::nullopt;
    }
    std::optional<QString> chooseComparedFile(QWidget*, const QString& folder) override
    {
        return onChooseComparedFile ? onChooseComparedFile(folder) : std::nullopt;
    }
    void showMessage(QWidget*, const QString& title, const QString& text) override
    {
        messages.append(text);
        if (onMessage) onMessage(title, text);
    }
    void showInfo(QWidget*, const QString&, const QString& text) override
    {
        infos.append(text);
        if (onInfo) onInfo(text);
    }
    bool askYesNo(QWidget*, const QString& title, const QString& text) override
    {
        return onAskYesNo && onAskYesNo(title, text);
    }
    SaveChoice askSaveChanges(QWidget*, const QString&, const QString& text) override
    {
        saveQuestions.append(text);
        return onAskSaveChanges ? onAskSaveChanges(text) : SaveChoice::Cancel;
    }
};

}  // namespace zpk::windowtest
