#include "external/gps_download_panel.h"

#include "platform/qt/qt_platform.h"
#include "track/data_error.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace tackedit {
namespace {

constexpr const char* kCaption = "tackvue";
constexpr const char* kNotExeMessage = "有効なアプリを選択してください";
constexpr const char* kListFullMessage =
    "登録できるソフトは10個までです。\n不要なソフトの登録を削除してから登録してください。";
constexpr const char* kNotStorableMessage =
    "このソフトは登録できません。パスにカンマ、制御文字、またはShift-JISで表せない文字が含まれています。\n";

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, int x, int y, int width)
{
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(x, y, width, 30);
    return button;
}

} // namespace

GpsDownloadPanel::GpsDownloadPanel(QWidget* parent, DownloadToolList& tools, DialogService& dialogs,
                                   ShellService& shell, Actions actions)
    : QFrame(parent), tools_(tools), dialogs_(dialogs), shell_(shell), actions_(std::move(actions))
{
    setObjectName(QStringLiteral("pnlGPS1"));
    setFixedSize(321, 193);
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);

    Label44 = new QLabel(QString::fromUtf8("GPSダウンロードソフトウエア"), this);
    Label44->setObjectName(QStringLiteral("Label44"));
    Label44->setGeometry(16, 10, 289, 20);

    ComboBox7 = new QComboBox(this);
    ComboBox7->setObjectName(QStringLiteral("ComboBox7"));
    ComboBox7->setEditable(true);
    // Typing only narrows what the buttons look for; it never adds an item.
    ComboBox7->setInsertPolicy(QComboBox::NoInsert);
    ComboBox7->setGeometry(16, 32, 289, 26);
    Label44->setBuddy(ComboBox7);

    Button18 = MakeButton(this, "Button18", "GPSダウンロードソフトウエアを起動", 16, 68, 289);
    Button19 = MakeButton(this, "Button19", "ソフトの新規登録", 16, 108, 140);
    Button28 = MakeButton(this, "Button28", "ソフトの登録削除", 165, 108, 140);
    Button20 = MakeButton(this, "Button20", "CANCEL", 16, 150, 289);

    connect(Button18, &QPushButton::clicked, this, &GpsDownloadPanel::Button18Click);
    connect(Button19, &QPushButton::clicked, this, &GpsDownloadPanel::Button19Click);
    connect(Button28, &QPushButton::clicked, this, &GpsDownloadPanel::Button28Click);
    connect(Button20, &QPushButton::clicked, this, &GpsDownloadPanel::Button20Click);

    FillToolBox();
}

void GpsDownloadPanel::FillToolBox()
{
    ComboBox7->clear();
    for (const std::string& item : ToolBoxItems(tools_))
        ComboBox7->addItem(ToQString(item));
    ComboBox7->setEditText(ToQString(ToolBoxText(tools_)));
}

bool GpsDownloadPanel::RunShowingError(const std::function<void()>& action)
{
    try {
        if (action)
            action();
        return true;
    } catch (const DataError& e) {
        dialogs_.ShowMessage(kCaption, e.what());
        return false;
    }
}

void GpsDownloadPanel::Button18Click()
{
    if (const std::optional<std::string> path = PickToolToLaunch(FromQString(ComboBox7->currentText()), tools_))
        if (const std::string problem = shell_.StartProgram(*path); !problem.empty())
            dialogs_.ShowMessage(kCaption, problem);
    RunShowingError(actions_.WriteSettings);
}

void GpsDownloadPanel::Button19Click()
{
    const std::optional<std::string> chosen = dialogs_.OpenFile("", "");
    if (!chosen)
        return;
    switch (RegisterDownloadTool(*chosen, tools_)) {
    case RegisterResult::NotExe:
        dialogs_.ShowMessage(kCaption, kNotExeMessage, true);
        return;
    case RegisterResult::ListFull:
        dialogs_.ShowMessage(kCaption, kListFullMessage, true);
        return;
    case RegisterResult::NotStorable:
        dialogs_.ShowMessage(kCaption, kNotStorableMessage + *chosen, true);
        return;
    case RegisterResult::Added:
        break;
    }
    // The re-read refills the box from the file just written. When the write fails
    // the new tool stays in the list, so the next write that succeeds keeps it.
    if (!RunShowingError(actions_.WriteSettings) || !RunShowingError(actions_.ReadSettings))
        FillToolBox();
}

void GpsDownloadPanel::Button28Click()
{
    // The file is not written here; the removal reaches it with the next write.
    UnregisterDownloadTool(FromQString(ComboBox7->currentText()), tools_);
    FillToolBox();
}

void GpsDownloadPanel::Button20Click()
{
    if (actions_.Cancel)
        actions_.Cancel();
}

} // namespace tackedit
