// Every caption of every screen fits its control, in both languages, with the
// fonts the install script provides. Walks the controls generically, so a
// screen or button added later is measured too.

#include "window_test.h"

#include "screens/editor_screen.h"
#include "screens/picture_folder_box.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>

#include <gtest/gtest.h>

namespace tackedit {
namespace {

// How much a caption is wider (or, wrapped, taller) than its room; 0 when it fits.
// Blanks at the end of a caption take room nobody sees.
QString Visible(const QString& caption)
{
    qsizetype end = caption.size();
    while (end > 0 && caption[end - 1].isSpace())
        --end;
    return caption.left(end);
}

int Overflow(QWidget* w, QString& text)
{
    // What the program fills in: the user cannot scroll a read-only box to its end.
    if (auto* box = qobject_cast<QLineEdit*>(w); box && box->isReadOnly()) {
        text = box->text();
        const QMargins margins = box->textMargins();
        return std::max(0, box->fontMetrics().horizontalAdvance(text) + margins.left() + margins.right() + 4 +
                               2 * box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) - box->width());
    }
    if (auto* label = qobject_cast<QLabel*>(w)) {
        text = Visible(label->text());
        if (text.isEmpty())
            return 0;
        // Cut short on purpose, the whole in the tooltip.
        if (text.endsWith(QChar(0x2026)))
            return label->toolTip().startsWith(text.chopped(1)) ? 0 : 1;
        const QRect room = label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(),
                                                          -label->margin());
        if (label->wordWrap())
            return std::max(0, label->heightForWidth(label->width()) - label->height());
        return std::max(0, label->fontMetrics().horizontalAdvance(text) + std::max(0, label->indent()) -
                               room.width());
    }
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        text = Visible(button->text());
        if (text.isEmpty())
            return 0;
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = text;
        QStyle::SubElement room = QStyle::SE_PushButtonContents;
        if (qobject_cast<QCheckBox*>(w))
            room = QStyle::SE_CheckBoxContents;
        else if (qobject_cast<QRadioButton*>(w))
            room = QStyle::SE_RadioButtonContents;
        const QRect rect = button->style()->subElementRect(room, &option, button);
        return std::max(0, button->fontMetrics().horizontalAdvance(text) - rect.width());
    }
    if (auto* group = qobject_cast<QGroupBox*>(w)) {
        text = Visible(group->title());
        if (text.isEmpty())
            return 0;
        QStyleOptionGroupBox option;
        option.initFrom(group);
        option.text = text;
        option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        const QRect label = group->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                            QStyle::SC_GroupBoxLabel, group);
        return std::max(0, label.right() + 1 - group->width());
    }
    return 0;
}

class CaptionFitTest : public WindowTest {};

TEST_F(CaptionFitTest, EveryCaptionOfEveryScreenFitsItsControlInBothLanguages)
{
    for (const char* language : {"en", "ja"}) {
        SCOPED_TRACE(language);
        qputenv("TACKEDIT_LANG", language);
        Start();
        qunsetenv("TACKEDIT_LANG");
        // Shown in use: the race file choice and the download panel.
        Find<QWidget>("GroupBox3")->show();
        Find<QWidget>("pnlGPS1")->show();
        ASSERT_EQ(state_.UiLanguage, language[0] == 'j' ? 0 : 2);
        // The longest texts the screens fill in: a folder of 1000 pictures of
        // 150 MB, a track of a million points at 10 Hz.
        state_.race.PictureCount = state_.race.PictureFileCount = 1000;
        state_.pictures.PictureKeptKB = state_.pictures.PictureTotalKB = 156510;
        form_->findChild<PictureFolderBox*>()->ShowRace();
        auto* label32 = Find<QLabel>("Label32");
        EXPECT_EQ(label32->toolTip(), "1000 / 1000 Pictures  (156510KB / 156510KB)") << label32->text().toStdString();
        {
            TrackFiller fill(state_.track);
            for (int i = 0; i < 1000000; ++i)
                fill.Store(40000 + i / 864000.0, 2100 + (i % 1000) * 0.001, 8300 + i * 0.000001);
            fill.Finish();
        }
        state_.edit.FirstPresent = 1;
        state_.edit.LastPresent = state_.track.TrackCount;
        state_.edit.LoadedInterval = 1000000;  // as wide as an interval gets on screen
        auto* editor = form_->findChild<EditorScreen*>();
        editor->ShowDeletionCounts();
        editor->DrawTrackMap();
        editor->DrawTimeline();
        EXPECT_EQ(Find<QLineEdit>("Memo2")->text(), "1000000 / 1000000");
        Find<QWidget>("pnlEDIT")->show();
        EXPECT_TRUE(form_->font().families().contains(QFontInfo(form_->font()).family()))
            << "the window font is not installed: " << QFontInfo(form_->font()).family().toStdString();
        int measured = 0;
        for (QWidget* w : form_->findChildren<QWidget*>()) {
            QWidget* panel = w;
            while (panel->parentWidget() && panel->parentWidget() != form_.get())
                panel = panel->parentWidget();
            if (w == panel || !w->isVisibleTo(panel))
                continue;
            QString text;
            const int over = Overflow(w, text);
            measured += !text.isEmpty();
            EXPECT_EQ(over, 0) << panel->objectName().toStdString() << "/" << w->objectName().toStdString()
                               << " \"" << text.toStdString() << "\" is " << over << " px too big for "
                               << w->width() << " x " << w->height();
        }
        EXPECT_GT(measured, 60) << "the walk found the screens' controls";
        form_.reset();
    }
}

} // namespace
} // namespace tackedit
