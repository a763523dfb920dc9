#pragma once

// One boat's values of the race, edited together: the boat list shows only the
// name and the track file.

#include <QDialog>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace tackedit {

class DialogService;

struct BoatValues {
    std::string name, file;
    int boat_class = 0;  // 0 = none
    double tcf = 0;      // 0 = none
    int start_offset = 0;
    int shown = 1, entered = 1;
};

class BoatDialog final : public QDialog {
    Q_OBJECT
public:
    // `problem` names what keeps the values from the race: OK then shows it
    // through `dialogs` and the dialog stays open. `classes` are the race's class names.
    BoatDialog(QWidget* parent, const BoatValues& values, const std::vector<std::string>& classes, int ui_language,
               DialogService& dialogs, std::function<std::optional<std::string>(const BoatValues&)> problem);

    // The values as typed; nullopt while the TCF is not a number.
    std::optional<BoatValues> Values() const;

    void accept() override;

private:
    DialogService& dialogs_;
    std::function<std::optional<std::string>(const BoatValues&)> problem_;
    bool japanese_;
    QLineEdit *name_, *file_, *tcf_;
    QComboBox* class_;
    QSpinBox* offset_;
    QCheckBox *shown_, *entered_;
};

} // namespace tackedit
