// messages.cpp -- the window procedure, main window, message queue, posted quit, dispatch and
// idle pacing that every back end shares; a back end only feeds input in and decides how long
// to wait for more

#include "platform/common/common.h"
#include <deque>

namespace {
struct Queue {
    WindowProcedure procedure = nullptr;
    WindowHandle window = 0; // the main window
    std::deque<Message> waiting;
    bool quit_posted = false;
    int32_t quit_code = 0;
    void (*quit_hook)(int32_t) = nullptr;
    int quiet_steps = 0; // screen steps in a row that brought no tap and no new frame
};
Queue q;

int32_t send_window_message(WindowHandle window, uint32_t message) {
    return q.procedure ? q.procedure(window, message, 0, 0) : 0;
}
} // namespace

// [SECTION] The back ends' side

void queue_reset() {
    q = Queue();
}

void queue_set_quit_hook(void (*hook)(int32_t exit_code)) {
    q.quit_hook = hook;
}

int main_window_may_open() {
    return q.procedure != nullptr && !q.window;
}

WindowHandle open_main_window(WindowHandle handle) {
    q.window = handle;
    send_window_message(handle, MESSAGE_CREATE);
    return handle;
}

int close_main_window(WindowHandle window) {
    if (!is_main_window(window)) return 0;
    q.window = 0;
    send_window_message(window, MESSAGE_DESTROY);
    return 1;
}

int is_main_window(WindowHandle window) {
    return q.window && window == q.window;
}

WindowHandle main_window_handle() {
    return q.window;
}

int queue_tap(int32_t x, int32_t y) {
    if (!q.window) return 0;
    uint32_t point = (uint32_t(x) & 0xFFFF) | (uint32_t(y) & 0xFFFF) << 16;
    q.waiting.push_back({q.window, MESSAGE_LBUTTONDOWN, 0, intptr_t(point)});
    pacing_wake();
    return 1;
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

// [SECTION] Idle pacing

int pacing_resting() {
    return q.quiet_steps >= STEPS_BEFORE_REST;
}

void pacing_step() {
    if (q.quiet_steps < STEPS_BEFORE_REST) q.quiet_steps++;
}

void pacing_wake() {
    q.quiet_steps = 0;
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

int shell_full_screen(WindowHandle window, uint32_t) {
    return is_main_window(window);
}
