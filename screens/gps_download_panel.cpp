#include "screens/gps_download_panel.h"

#include "platform/qt/qt_platform.h"
#include "platform/text_codec.h"
#include "screens/captions.h"
#include "base/messages.h"
#include "base/data_error.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace tackedit {
namespace {

constexpr const char* kCaption = "tackvue";

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

    Label44 = new QLabel(QString::fromUtf8(CaptionOf("Label44", 0)), this);
    Label44->setObjectName(QStringLiteral("Label44"));
    Label44->setGeometry(16, 6, 289, 18);

    ComboBox7 = new QComboBox(this);
    ComboBox7->setObjectName(QStringLiteral("ComboBox7"));
    ComboBox7->setEditable(true);
    // Typing only narrows what the buttons look for; it never adds an item.
    ComboBox7->setInsertPolicy(QComboBox::NoInsert);
    ComboBox7->setGeometry(16, 24, 289, 26);
    Label44->setBuddy(ComboBox7);

    Label45 = new QLabel(this);
    Label45->setObjectName(QStringLiteral("Label45"));
    Label45->setGeometry(16, 51, 289, 16);
    QFont small = Label45->font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    Label45->setFont(small);
    Label45->setTextInteractionFlags(Qt::TextSelectableByMouse);
    connect(ComboBox7, &QComboBox::editTextChanged, this, [this] { ShowToolPath(); });

    Button18 = MakeButton(this, "Button18", CaptionOf("Button18", 0), 16, 68, 289);
    Button19 = MakeButton(this, "Button19", CaptionOf("Button19", 0), 16, 108, 140);
    Button28 = MakeButton(this, "Button28", CaptionOf("Button28", 0), 165, 108, 140);
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
    for (int i = 0; i <= tools_.DownloadToolCount; ++i) {
        const std::string& path = tools_.DownloadTools[static_cast<std::size_t>(tools_.DownloadToolCount - i)];
        ComboBox7->setItemData(i, ToQString(ToolProgramPath(path, tools_)), Qt::ToolTipRole);
    }
    ComboBox7->setEditText(ToQString(ToolBoxText(tools_)));
    ShowToolPath();
}

void GpsDownloadPanel::ShowToolPath(const std::string& prefix)
{
    const int index = FindToolToLaunch(FromQString(ComboBox7->currentText()), tools_);
    const QString path =
        index < 0 ? QString()
                  : ToQString(prefix + ToolProgramPath(tools_.DownloadTools[static_cast<std::size_t>(index)], tools_));
    // A long path keeps its file name in sight; the tooltip has it whole.
    Label45->setText(Label45->fontMetrics().elidedText(path, Qt::ElideMiddle, Label45->width()));
    Label45->setToolTip(path);
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
    if (const std::optional<std::string> entry = PickToolToLaunch(FromQString(ComboBox7->currentText()), tools_)) {
        // The shell checks the file again as it starts it, by this full path.
        const std::string program = ToolProgramPath(*entry, tools_);
        if (const std::string problem = shell_.StartProgram(program); !problem.empty())
            dialogs_.ShowMessage(kCaption, problem);
        else
            ShowToolPath(Say(texts::kToolStarted, Language()));
    }
    RunShowingError(actions_.WriteSettings);
}

void GpsDownloadPanel::Button19Click()
{
    const std::optional<std::string> chosen = dialogs_.OpenFile("", "");
    if (!chosen)
        return;
    switch (RegisterDownloadTool(*chosen, tools_)) {
    case RegisterResult::NotExe:
        dialogs_.ShowMessage(kCaption, Say(texts::kNotExe, Language()), true);
        return;
    case RegisterResult::ListFull:
        dialogs_.ShowMessage(kCaption, Say(texts::kToolListFull, Language()), true);
        return;
    case RegisterResult::NotStorable: {
        std::string bad;
        const bool encodes = Utf8ToCp932(*chosen, &bad).has_value();
        dialogs_.ShowMessage(kCaption,
                             (encodes ? Say(texts::kToolNotStorable, Language())
                                      : Say(texts::kToolCharNotStorable, Language(), {bad})) + *chosen,
                             true);
        return;
    }
    case RegisterResult::NotAbsolute:
        dialogs_.ShowMessage(
            kCaption, Say(texts::kNotExe, Language()) + "\n" + *chosen + Say(texts::kToolNotAbsolute, Language()), true);
        return;
    case RegisterResult::NotProgram:
        dialogs_.ShowMessage(
            kCaption, Say(texts::kNotExe, Language()) + "\n" + *chosen + Say(texts::kToolNotProgram, Language()), true);
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

int GpsDownloadPanel::Language() const { return actions_.UiLanguage ? actions_.UiLanguage() : 2; }

void GpsDownloadPanel::Button20Click()
{
    if (actions_.Cancel)
        actions_.Cancel();
}

} // namespace tackedit
