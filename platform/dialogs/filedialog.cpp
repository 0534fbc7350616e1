// The file dialogs: the prompt from OPENFILENAME, the choice from the
// responder or a QFileDialog, the checks the flags ask for, and the result.
#include "platform/dialogs/filedialog.h"

#include "platform/dialogs/filedialogbuffer.h"
#include "platform/dialogs/messagebox.h"
#include "platform/win/application.h"
#include "platform/win/windowwidget.h"

#include <QFileDialog>

#include <algorithm>
#include <filesystem>

namespace win {
namespace {

DWORD& LastFileDialogError() {
    static DWORD error = 0;
    return error;
}

FileDialogPrompt PromptOf(const OPENFILENAME& dialog, bool save) {
    FileDialogPrompt prompt;
    prompt.owner = dialog.hwndOwner;
    prompt.save = save;
    prompt.title = dialog.lpstrTitle ? dialog.lpstrTitle : (save ? "Save As" : "Open");
    prompt.filters = internal::ParseFilters(dialog.lpstrFilter);
    const auto count = static_cast<DWORD>(prompt.filters.size());
    prompt.filterIndex = dialog.nFilterIndex >= 1 && dialog.nFilterIndex <= count
                             ? static_cast<int>(dialog.nFilterIndex)
                             : 1;
    prompt.initialDirectory = dialog.lpstrInitialDir ? dialog.lpstrInitialDir : "";
    prompt.fileName = internal::StartingName(dialog);
    prompt.defaultExtension = dialog.lpstrDefExt ? dialog.lpstrDefExt : "";
    prompt.flags = dialog.Flags;
    return prompt;
}

QFileDialog::FileMode FileModeOf(const FileDialogPrompt& prompt) {
    if (prompt.save)
        return QFileDialog::AnyFile;
    if (prompt.flags & OFN_ALLOWMULTISELECT)
        return QFileDialog::ExistingFiles;
    return prompt.flags & OFN_FILEMUSTEXIST ? QFileDialog::ExistingFile : QFileDialog::AnyFile;
}

FileDialogAnswer AskWithQt(const FileDialogPrompt& prompt) {
    internal::EnsureApplication();
    QFileDialog dialog(internal::WindowWidget(prompt.owner), QString::fromLocal8Bit(prompt.title),
                       QString::fromLocal8Bit(prompt.initialDirectory));
    QStringList filters;
    for (const FileFilterPrompt& filter : prompt.filters) {
        QString patterns = QString::fromLocal8Bit(filter.pattern);
        patterns.replace(';', ' ');
        filters << QString::fromLocal8Bit(filter.description) + " (" + patterns + ")";
    }
    dialog.setNameFilters(filters);
    if (!filters.isEmpty())
        dialog.selectNameFilter(filters[prompt.filterIndex - 1]);
    dialog.setAcceptMode(prompt.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(FileModeOf(prompt));
    // Overwriting is asked through a message box, as for the responder.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!prompt.fileName.empty())
        dialog.selectFile(QString::fromLocal8Bit(prompt.fileName));
    FileDialogAnswer answer;
    if (dialog.exec() != QDialog::Accepted)
        return answer;
    answer.ok = true;
    for (const QString& file : dialog.selectedFiles())
        answer.files.push_back(file.toLocal8Bit().toStdString());
    answer.filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    return answer;
}

FileDialogAnswer Ask(const FileDialogPrompt& prompt) {
    if (PromptResponder* responder = internal::CurrentPromptResponder())
        return responder->AnswerFileDialog(prompt);
    return AskWithQt(prompt);
}

// Whether the files pass the checks the flags ask for; the user is told why
// a file does not.
bool Acceptable(const FileDialogPrompt& prompt, const std::vector<std::string>& files) {
    namespace fs = std::filesystem;
    const char* title = prompt.title.c_str();
    for (const std::string& file : files) {
        std::error_code error;
        const bool exists = fs::exists(file, error);
        if ((prompt.flags & OFN_FILEMUSTEXIST) && !exists) {
            const std::string text =
                file + "\nFile not found.\nPlease verify the correct file name was given.";
            MessageBox(prompt.owner, text.c_str(), title, MB_OK | MB_ICONEXCLAMATION);
            return false;
        }
        const fs::path directory = fs::path(file).parent_path();
        if ((prompt.flags & OFN_PATHMUSTEXIST) && !directory.empty() &&
            !fs::is_directory(directory, error)) {
            const std::string text =
                file + "\nPath does not exist.\nPlease verify the correct path was given.";
            MessageBox(prompt.owner, text.c_str(), title, MB_OK | MB_ICONEXCLAMATION);
            return false;
        }
        if (prompt.save && (prompt.flags & OFN_OVERWRITEPROMPT) && exists) {
            const std::string text = file + " already exists.\nDo you want to replace it?";
            if (MessageBox(prompt.owner, text.c_str(), title, MB_YESNO | MB_ICONEXCLAMATION) !=
                IDYES)
                return false;
        }
    }
    return true;
}

BOOL RunFileDialog(OPENFILENAME* dialog, bool save) {
    DWORD& error = LastFileDialogError();
    error = 0;
    if (!dialog || dialog->lStructSize != sizeof(OPENFILENAME)) {
        error = CDERR_STRUCTSIZE;
        return FALSE;
    }
    if (!dialog->lpstrFile || dialog->nMaxFile == 0) {
        error = CDERR_INITIALIZATION;
        return FALSE;
    }
    FileDialogPrompt prompt = PromptOf(*dialog, save);
    for (;;) {
        const FileDialogAnswer answer = Ask(prompt);
        if (!answer.ok || answer.files.empty())
            return FALSE;
        std::vector<std::string> files = answer.files;
        if (save || !(dialog->Flags & OFN_ALLOWMULTISELECT))
            files.resize(1);
        for (std::string& file : files)
            file = internal::WithDefaultExtension(file, dialog->lpstrDefExt);
        const auto filterCount = static_cast<int>(prompt.filters.size());
        prompt.filterIndex = std::clamp(answer.filterIndex, 1, std::max(filterCount, 1));
        if (!Acceptable(prompt, files)) {
            prompt.fileName = files.front();
            continue;
        }
        if (filterCount > 0)
            dialog->nFilterIndex = static_cast<DWORD>(prompt.filterIndex);
        error = internal::WriteResult(*dialog, files);
        return error == 0 ? TRUE : FALSE;
    }
}

} // namespace

BOOL GetOpenFileName(OPENFILENAME* dialog) {
    return RunFileDialog(dialog, false);
}

BOOL GetSaveFileName(OPENFILENAME* dialog) {
    return RunFileDialog(dialog, true);
}

DWORD CommDlgExtendedError() {
    return LastFileDialogError();
}

} // namespace win
