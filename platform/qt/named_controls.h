#pragma once

// Building screens from named controls: every control carries its design name
// as its object name, so code and tests find it by that name.

#include <QFontMetrics>
#include <algorithm>
#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QRect>
#include <QString>
#include <QWidget>

namespace tackedit {

template <class Control>
Control* AddControl(QWidget* parent, const char* name, const QRect& geometry, const QString& caption = QString())
{
    auto* control = new Control(parent);
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(geometry);
    if constexpr (requires { control->setText(caption); }) {
        if (!caption.isNull())
            control->setText(caption);
    }
    return control;
}

// A screen panel of the main window: fixed design size, hidden until shown.
inline void SetUpPanel(QFrame* panel, const char* name, int width, int height, const QColor& background)
{
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFixedSize(width, height);
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, background);
    // The style's disabled grey vanishes on the silver panels.
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, QColor(128, 128, 128));
    panel->setPalette(palette);
    panel->hide();
}

// The yellow of the compile screen's input fields.
inline void MarkYellow(QWidget* control)
{
    QPalette palette = control->palette();
    palette.setColor(QPalette::Base, QColor(255, 255, 128));
    palette.setColor(QPalette::Window, QColor(255, 255, 128));
    control->setAutoFillBackground(true);
    control->setPalette(palette);
}

// A one-line label's text, cut with "…" where it is wider than the label, the
// whole text then first in its tooltip; the label's own tooltip is kept.
inline void SetElidedText(QLabel* label, const QString& text)
{
    if (!label->property("ownToolTip").isValid())
        label->setProperty("ownToolTip", label->toolTip());
    const QString own = label->property("ownToolTip").toString();
    const int room = label->contentsRect().width() - 2 * label->margin() - std::max(0, label->indent());
    const QString shown = label->fontMetrics().elidedText(text, Qt::ElideRight, room);
    label->setText(shown);
    label->setToolTip(shown == text ? own : own.isEmpty() ? text : text + QStringLiteral("\n") + own);
}

} // namespace tackedit
