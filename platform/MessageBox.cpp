#include "platform/MessageBox.h"

#include <iostream>
#include <mutex>

namespace {

std::mutex handlerMutex;
MessageBoxHandler handler;

}  // namespace

int MessageBoxA(HWND /*owner*/, const char* text, const char* caption, UINT type) {
    MessageBoxHandler current;
    {
        std::lock_guard lock(handlerMutex);
        current = handler;
    }
    const std::string body = text ? text : "";
    const std::string title = caption ? caption : "Error";
    if (current) {
        return current(body, title, type);
    }
    std::cerr << title << ": " << body << std::endl;
    return IDOK;
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler next) {
    std::lock_guard lock(handlerMutex);
    MessageBoxHandler previous = std::move(handler);
    handler = std::move(next);
    return previous;
}
