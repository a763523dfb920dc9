#pragma once

#include <QApplication>

#include <functional>
#include <string>

namespace tackedit {

// The application object. An exception that no handler caught is shown by
// ShowError and the event loop goes on, so a failed operation never takes the
// window and the user's other work with it. Without ShowError it goes on up.
class TackeditApplication final : public QApplication {
    Q_OBJECT
public:
    TackeditApplication(int& argc, char** argv) : QApplication(argc, argv) {}

    bool notify(QObject* receiver, QEvent* event) override;

    std::function<void(const std::string&)> ShowError;
};

} // namespace tackedit
