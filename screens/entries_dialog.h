#pragma once

#include "entries/entry_list.h"
#include "entries/track_match.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QPlainTextEdit;
class QTableWidget;

namespace tackedit {

class DialogService;

// The entry list's boats beside the track files proposed for them, each file
// open to change, and below them what the list and the matching left unsettled.
class EntriesDialog final : public QDialog {
    Q_OBJECT
public:
    using Choices = std::vector<std::optional<std::string>>;
    // The problem with the files chosen, or nullopt when OK may take them.
    using Check = std::function<std::optional<std::string>(const Choices&)>;

    EntriesDialog(QWidget* parent, const std::string& list_name, const EntryList& list, const EntryMatches& found,
                  const std::vector<std::string>& track_files, int ui_language, DialogService& dialogs, Check check);

    // Per entry, in the list's order: the track file chosen, or nullopt for none.
    Choices ChosenFiles() const;
    QComboBox* FileBox(int row) const { return files_.at(static_cast<std::size_t>(row)); }
    QTableWidget* Table() const { return table_; }
    QPlainTextEdit* Notes() const { return notes_; }

    void accept() override;

private:
    QTableWidget* table_;
    QPlainTextEdit* notes_;
    std::vector<QComboBox*> files_;
    int ui_language_;
    DialogService& dialogs_;
    Check check_;
};

} // namespace tackedit
