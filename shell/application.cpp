#include "shell/application.h"

#include <exception>
#include <new>

namespace tackedit {

bool TackeditApplication::notify(QObject* receiver, QEvent* event)
{
    if (!ShowError)
        return QApplication::notify(receiver, event);
    std::string message;
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc&) {
        message = "There is not enough memory to finish this operation; it stopped where it stood.";
    } catch (const std::exception& e) {
        message = e.what();
    } catch (...) {
        message = "The operation stopped on an unexpected error.";
    }
    ShowError(message);
    return false;
}

} // namespace tackedit
