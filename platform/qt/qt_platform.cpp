#include "platform/qt/qt_platform.h"

#include "platform/program_start.h"
#include "platform/trash.h"
#include "base/atomic_write.h"
#include "base/data_error.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QTimeZone>
#include <QTimer>
#include <QUrl>

namespace tackedit {

QString ToQString(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string FromQString(const QString& text)
{
    return text.toUtf8().toStdString();
}

QString QtFileFilter(const std::string& filter)
{
    const QStringList parts = ToQString(filter).split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        if (const qsizetype open = description.indexOf(QLatin1Char('(')); open > 0)
            description = description.left(open).trimmed();
        // Workspace names match without regard to case: offer both spellings.
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            patterns << pattern.trimmed();
            if (pattern.trimmed().toLower() != pattern.trimmed())
                patterns << pattern.trimmed().toLower();
        }
        out << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return out.join(QStringLiteral(";;"));
}

std::optional<std::string> QtDialogs::OpenFile(const std::string& filter, const std::string& initial_folder)
{
    const QString chosen = QFileDialog::getOpenFileName(parent_, QString(), ToQString(initial_folder),
                                                        QtFileFilter(filter));
    if (chosen.isEmpty())
        return std::nullopt;
    return FromQString(QDir::toNativeSeparators(chosen));
}

std::optional<std::string> QtDialogs::SaveFile(const std::string& filter, const std::string& initial_path)
{
    const QString chosen = QFileDialog::getSaveFileName(parent_, QString(), ToQString(initial_path),
                                                        QtFileFilter(filter));
    if (chosen.isEmpty())
        return std::nullopt;
    return FromQString(QDir::toNativeSeparators(chosen));
}

std::optional<std::string> QtDialogs::BrowseForFolder(const std::string& caption, const std::string& initial_folder)
{
    const QString chosen =
        QFileDialog::getExistingDirectory(parent_, ToQString(caption), ToQString(initial_folder));
    if (chosen.isEmpty())
        return std::nullopt;
    return FromQString(chosen);
}

std::optional<std::string> QtDialogs::InputBox(const std::string& caption, const std::string& prompt,
                                               const std::string& default_text)
{
    bool ok = false;
    const QString text = QInputDialog::getText(parent_, ToQString(caption), ToQString(prompt), QLineEdit::Normal,
                                               ToQString(default_text), &ok);
    if (!ok)
        return std::nullopt;
    return FromQString(text);
}

void QtDialogs::ShowMessage(const std::string& caption, const std::string& text, bool information)
{
    if (information)
        QMessageBox::information(parent_, ToQString(caption), ToQString(text));
    else
        QMessageBox::warning(parent_, ToQString(caption), ToQString(text));
}

bool QtDialogs::AskYesNo(const std::string& caption, const std::string& text)
{
    return QMessageBox::question(parent_, ToQString(caption), ToQString(text), QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

MessageAnswer QtDialogs::AskYesNoCancel(const std::string& caption, const std::string& text)
{
    switch (QMessageBox::question(parent_, ToQString(caption), ToQString(text),
                                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    default: return MessageAnswer::Cancel;
    }
}

bool QtShell::OpenDocument(const std::string& path)
{
    const QUrl url = QUrl::fromLocalFile(ToQString(path));
    // QDesktopServices counts xdg-open started as opened, even when it then
    // finds no browser or file manager: its exit status is the answer.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return QDesktopServices::openUrl(url);
    auto* process = new QProcess;
    process->setProgram(opener);
    process->setArguments({url.toString()});
    // Nobody reads what the opened program prints: it must not fill a pipe.
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start();
    if (!process->waitForStarted()) {
        delete process;
        return false;
    }
    if (process->waitForFinished(kOpenerVerdictMs)) {
        const bool opened = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
        delete process;
        return opened;
    }
    // Still running: it waits on the program it started, which has the page.
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    if (QCoreApplication::instance())
        process->setParent(QCoreApplication::instance());
    return true;
}

namespace {

// Checks from the event loop now and then until the program has ended.
void CollectWhenEnded(qint64 pid)
{
    // Only a program this process adopted is waited for, and only by its own
    // pid: a zombie keeps that pid, so no other process can take it meanwhile.
    if (CollectIfEnded(pid) != ChildState::Running || !QCoreApplication::instance())
        return;
    auto* poll = new QTimer(QCoreApplication::instance());
    QObject::connect(poll, &QTimer::timeout, poll, [poll, pid] {
        if (CollectIfEnded(pid) != ChildState::Running)
            poll->deleteLater();
    });
    poll->start(500);
}

} // namespace

std::string QtShell::StartProgram(const std::string& program)
{
    // The stored path is the whole command: no arguments, no quoting.
    const ProgramLaunch plan = PlanProgramLaunch(program, FromQString(qEnvironmentVariable("PATH")));
    if (plan.outcome != ProgramLaunch::Outcome::Start)
        return LaunchProblem(plan, program);
    QProcess process;
    process.setProgram(ToQString(plan.command));
    QStringList arguments;
    for (const std::string& argument : plan.arguments)
        arguments << ToQString(argument);
    process.setArguments(arguments);
    process.setWorkingDirectory(QFileInfo(ToQString(program)).absolutePath());
    qint64 pid = 0;
    if (!process.startDetached(&pid))
        return "Cannot start " + program + ": " + FromQString(process.errorString());
    CollectWhenEnded(pid);
    return {};
}

bool QtShell::CopyFile(const std::string& from, const std::string& to, bool overwrite)
{
    if (!overwrite && QFileInfo::exists(ToQString(to)))
        return false;
    try {
        CopyFileAtomically(from, to);
        return true;
    } catch (const DataError&) {
        return false;
    }
}

bool QtShell::CopyFolderFiles(const std::string& from_folder, const std::string& to_folder)
{
    const QDir from(ToQString(from_folder));
    QDir to(ToQString(to_folder));
    if (!from.exists() || !to.mkpath(QStringLiteral(".")))
        return false;
    bool ok = true;
    for (const QFileInfo& file : from.entryInfoList(QDir::Files | QDir::Hidden))
        ok = CopyFile(FromQString(file.absoluteFilePath()), FromQString(to.filePath(file.fileName())), true) && ok;
    return ok;
}

bool QtShell::MoveFolderToTrash(const std::string& folder)
{
    return MoveToTrash(folder);
}

std::vector<std::string> QtFonts::FontFamilies()
{
    std::vector<std::string> out;
    for (const QString& family : QFontDatabase::families())
        out.push_back(FromQString(family));
    return out;
}

int QtTimeZone::StandardBiasMinutes()
{
    const QTimeZone zone = QTimeZone::systemTimeZone();
    return -zone.standardTimeOffset(QDateTime::currentDateTimeUtc()) / 60;
}

void QtCursor::ShowBusyCursor()
{
    if (depth_++ == 0)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtCursor::ShowDefaultCursor()
{
    while (depth_ > 0) {
        --depth_;
        QGuiApplication::restoreOverrideCursor();
    }
}

void QtPendingEvents::ProcessPendingEvents()
{
    QCoreApplication::processEvents();
}

void QtBeeper::Beep()
{
    QApplication::beep();
}

} // namespace tackedit
