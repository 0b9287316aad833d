// messages.cpp -- the window procedure, message queue, posted quit and dispatch that every
// back end shares; a back end only feeds input in and decides when to wait for more

#include "platform/common/common.h"
#include <deque>

namespace {
struct Queue {
    WindowProcedure procedure = nullptr;
    std::deque<Message> waiting;
    bool quit_posted = false;
    int32_t quit_code = 0;
    void (*quit_hook)(int32_t) = nullptr;
};
Queue q;
} // namespace

// [SECTION] The back ends' side

void queue_reset() {
    q = Queue();
}

void queue_set_quit_hook(void (*hook)(int32_t exit_code)) {
    q.quit_hook = hook;
}

int queue_has_procedure() {
    return q.procedure != nullptr;
}

int32_t send_window_message(WindowHandle window, uint32_t message) {
    return q.procedure ? q.procedure(window, message, 0, 0) : 0;
}

void queue_message(const Message& message) {
    q.waiting.push_back(message);
}

int queue_waiting() {
    return !q.waiting.empty() || q.quit_posted;
}

int queue_peek(Message* message) {
    if (!q.waiting.empty()) {
        if (message) *message = q.waiting.front();
        return 1;
    }
    if (q.quit_posted) {
        if (message) *message = {0, MESSAGE_QUIT, uintptr_t(q.quit_code), 0};
        return 1;
    }
    return 0;
}

int queue_take(Message* message) {
    if (!q.waiting.empty()) {
        *message = q.waiting.front();
        q.waiting.pop_front();
        return 1;
    }
    *message = {0, MESSAGE_QUIT, uintptr_t(q.quit_code), 0};
    return 0;
}

// [SECTION] The program's side (platform.h)

int register_class(const WindowClass* window_class) {
    if (!window_class || !window_class->procedure) return 0;
    q.procedure = window_class->procedure;
    return 1;
}

int32_t default_window_procedure(WindowHandle, uint32_t, uintptr_t, intptr_t) {
    return 0;
}

void post_quit_message(int32_t exit_code) {
    if (!q.quit_posted && q.quit_hook) q.quit_hook(exit_code);
    q.quit_posted = true;
    q.quit_code = exit_code;
}

void translate_message(const Message*) {}

int32_t dispatch_message(const Message* message) {
    if (!message || !q.procedure) return 0;
    return q.procedure(message->window, message->message, message->wparam, message->lparam);
}
