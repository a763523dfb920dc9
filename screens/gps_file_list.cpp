#include "screens/gps_file_list.h"

#include "check/track_shift.h"
#include "platform/qt/qt_platform.h"
#include "race/compile_core.h"
#include "screens/file_stamp.h"

#include <QApplication>
#include <QListWidget>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <system_error>

namespace tackedit {

namespace {

struct FirstFix {
    FileStamp stamp;
    std::optional<DateTime> time;  // none: no fix, or the file does not read
};

// By path; only the window's thread touches it.
std::map<std::string, FirstFix>& FirstFixes()
{
    static std::map<std::string, FirstFix> known;
    return known;
}

const FirstFix* Known(const std::string& path)
{
    const auto stamp = StampOf(path);
    const auto found = FirstFixes().find(path);
    if (!stamp || found == FirstFixes().end() || found->second.stamp != *stamp)
        return nullptr;
    return &found->second;
}

// The list shows the day; the tooltip the time too.
std::string LocalText(DateTime utc, int zone_hours, bool with_time)
{
    const DateTimeParts p = DecodeDateTimeToSecond(utc + zone_hours / 24.0);
    char text[40];
    if (with_time)
        std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute,
                      p.second);
    else
        std::snprintf(text, sizeof text, "%04d/%02d/%02d", p.year, p.month, p.day);
    return text;
}

constexpr const char* kUnknown = "…";
constexpr const char* kNoFix = "-";
constexpr int kNameRole = Qt::UserRole, kFixRole = Qt::UserRole + 1;

// The name on the left, cut in the middle when the first fix on the right
// leaves it too little room; the list never scrolls sideways.
class FileEntryDelegate final : public QStyledItemDelegate {
public:
    explicit FileEntryDelegate(QListWidget* list) : QStyledItemDelegate(list), list_(list) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setWidth(std::min(size.width(), list_->viewport()->width()));
        return size;
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem plain = option;
        initStyleOption(&plain, index);
        plain.text.clear();
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &plain, painter, widget);
        const QRect room = option.rect.adjusted(3, 0, -3, 0);
        const QString fix = index.data(kFixRole).toString();
        const QString name = index.data(kNameRole).toString();
        const int fix_width = option.fontMetrics.horizontalAdvance(fix);
        const QString shown =
            option.fontMetrics.elidedText(name, Qt::ElideMiddle, std::max(room.width() - fix_width - 8, 0));
        painter->save();
        painter->setPen(option.palette.color(option.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                                   : QPalette::Text));
        painter->drawText(room, Qt::AlignLeft | Qt::AlignVCenter, shown);
        painter->drawText(room, Qt::AlignRight | Qt::AlignVCenter, fix);
        painter->restore();
    }

private:
    QListWidget* list_;
};

} // namespace

GpsFileList::GpsFileList(QListWidget* list) : QObject(list), list_(list)
{
    list_->setItemDelegate(new FileEntryDelegate(list_));
    list_->setTextElideMode(Qt::ElideMiddle);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void GpsFileList::Fill(const std::string& folder, const std::string& extension, bool by_first_fix, int zone_hours)
{
    last_ = {folder, extension, by_first_fix, zone_hours};
    auto entries = ListWorkspaceFiles(folder, extension, false, 4999);
    std::vector<std::string> unknown;
    struct Row {
        std::string name;
        std::optional<DateTime> fix;
        bool known = false;
    };
    std::vector<Row> rows;
    for (const auto& entry : entries) {
        const std::string path = folder + "/" + entry.name;
        Row row;
        row.name = entry.name;
        if (const FirstFix* fix = Known(path)) {
            row.fix = fix->time;
            row.known = true;
        } else if (StampOf(path)) {
            unknown.push_back(path);
        } else {
            row.known = true;  // gone meanwhile: nothing to read
        }
        rows.push_back(std::move(row));
    }
    if (by_first_fix)
        std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
            return a.fix && (!b.fix || *a.fix > *b.fix);
        });

    // A refill keeps the place the user scrolled to.
    const int scrolled = list_->verticalScrollBar()->value();
    list_->clear();
    for (const Row& row : rows) {
        const std::string fix = !row.known ? kUnknown : row.fix ? LocalText(*row.fix, zone_hours, false) : kNoFix;
        // The text keeps "name / date", the form the rest of the screen reads.
        auto* item = new QListWidgetItem(ToQString(row.name + " / " + fix), list_);
        item->setData(kNameRole, ToQString(row.name));
        item->setData(kFixRole, ToQString(fix));
        std::string tip = row.name;
        if (row.fix)
            tip += "\nFirst fix " + LocalText(*row.fix, zone_hours, true) + " (UTC" + (zone_hours < 0 ? "" : "+") +
                   std::to_string(zone_hours) + ")";
        else
            tip += row.known ? "\nNo fix" : "\n…";
        item->setToolTip(ToQString(tip));
    }
    list_->verticalScrollBar()->setValue(scrolled);

    if (unknown.empty() || jobs_.Busy())
        return;  // a reading in hand fills the list again when done
    using Read = std::vector<std::pair<std::string, FirstFix>>;
    jobs_.Start<Read>(
        [unknown](const std::atomic<bool>& cancelled) {
            Read read;
            for (const std::string& path : unknown) {
                if (cancelled)
                    break;
                const auto stamp = StampOf(path);
                if (!stamp)
                    continue;
                FirstFix fix{*stamp, std::nullopt};
                TrackStore store;
                TrackEditState edit;
                QuietLoad load;
                try {
                    LoadTrackFile(path, store, edit, load.services);
                } catch (const std::exception&) {
                    // Listed without a time; adding it as a boat says why it does not read.
                }
                if (store.TrackCount > 0)
                    fix.time = store.TrackTime[1];
                read.emplace_back(path, fix);
            }
            return read;
        },
        [this](Read read) {
            for (auto& [path, fix] : read)
                FirstFixes()[path] = fix;
            Fill(last_.folder, last_.extension, last_.by_first_fix, last_.zone_hours);
        });
}

} // namespace tackedit
