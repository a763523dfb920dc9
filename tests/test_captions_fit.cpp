// Every caption of every screen fits its control, in both languages, with the
// fonts the install script provides. Walks the controls generically, so a
// screen or button added later is measured too.

#include "window_test.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
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
    if (auto* label = qobject_cast<QLabel*>(w)) {
        text = Visible(label->text());
        if (text.isEmpty())
            return 0;
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
