#include "app/windowed_program.h"

#include <cstdio>
#include <utility>

#include "display/display.h"
#include "gfx/image.h"
#include "gfx/surface.h"
#include "platform/files/single_instance.h"
#include "platform/resources/resources.h"
#include "platform/system/clock.h"
#include "platform/window/display_loss.h"
#include "platform/window/message_queue.h"
#include "platform/window/messages.h"
#include "platform/window/window.h"

namespace ampliro {

namespace {

WindowedProgram* runningProgram = nullptr;
float inputScaleX = 1.0f;
float inputScaleY = 1.0f;
// Set while QueryClose runs: its questions pump messages, and a second close
// arriving meanwhile (a double click on the close box) is ignored rather than
// taken as a close without the questions.
bool closeInProgress = false;

constexpr uint32_t kPresentFirst = 2;
constexpr uint32_t kSplashFadeMs = 500;
constexpr uint32_t kSplashHoldMs = 1500;

bool IsPen(uint32_t message) {
    return message >= 0x200 && message <= 0x205;
}

intptr_t HandleClose(WindowedProgram* program, Window* w, uint32_t message, uintptr_t wParam,
                     uintptr_t lParam) {
    if (closeInProgress) return 0;
    closeInProgress = true;
    const int allowed = program->QueryClose();
    closeInProgress = false;
    if (!allowed) return 0;
    return DefWindowProc(w, message, wParam, lParam);
}

// The display has gone: the program ends as on a termination signal, its
// session saved, but with nothing left to show a message on.
void OnDisplayLost() {
    if (runningProgram == nullptr) return;
    std::fprintf(stderr, "%s: the display has gone away; saving and ending.\n",
                 runningProgram->title.c_str());
    runningProgram->Shutdown();
}

}  // namespace

WindowedProgram* RunningProgram() {
    return runningProgram;
}
float InputScaleX() {
    return inputScaleX;
}
float InputScaleY() {
    return inputScaleY;
}

WindowedProgram::WindowedProgram() : clock(&Milliseconds), wait(&WaitForMessages) {}

WindowedProgram::~WindowedProgram() {
    // The display before the window it draws into (see WM_DESTROY).
    delete display;
    display = nullptr;
    if (Window::IsAlive(window)) {
        // The object is going: the window must not call back into it.
        window->userData = nullptr;
        Window::Destroy(window);
    }
    if (runningProgram == this) runningProgram = nullptr;
}

uint32_t WindowedProgram::FramePeriod() const {
    // A rate of zero or less would divide by zero: one frame a second then.
    const uint32_t fps = framesPerSecond > 0 ? static_cast<uint32_t>(framesPerSecond) : 1u;
    return 1000u / fps;
}

Window* WindowedProgram::CreateMainWindow(const ResourceModule* module) {
    instance = module;
    runningProgram = this;
    SetDisplayLostHandler(&OnDisplayLost);
    if (!headless) {
        instanceLock_ = std::make_unique<SingleInstance>(
            lockFolder.empty() ? ExecutableFolder() : lockFolder, title + ".lock");
        if (!instanceLock_->Acquire()) {
            // The running copy has been asked to come to the front.
            MessageBeep();
            instanceLock_.reset();
            anotherCopyRuns = true;
            return nullptr;
        }
    }
    BuildBlendTable();
    WindowDescription description;
    description.title = title.c_str();
    description.width = kScreenWidth;
    description.height = kScreenHeight;
    description.procedure = &WindowProcedure;
    description.createParam = this;
    description.native = !headless;
    description.iconModule = module;
    description.iconNumber = iconResource;
    if (!Window::Create(description)) {
        // Without a window no one can use or end this copy: it must not keep
        // the next start out.
        instanceLock_.reset();
        return nullptr;
    }
    OpenDisplay(orientation);
    window->BringToFront();
    if (display) window->SetScale(display->Scale());
    ComputeInputScale();
    DefaultKeys(keys, orientation >= 0 && orientation <= 3 ? orientation : 0);
    ShowSplash();
    Init();
    return window;
}

// Pen positions arrive in screen units; a display of another size than the
// screen gets them scaled by display size / screen size. Orientations 1 and 3
// turn the screen, so its sides swap for the comparison.
void WindowedProgram::ComputeInputScale() {
    inputScaleX = 1.0f;
    inputScaleY = 1.0f;
    if (!display) return;
    int32_t screenWidth = kScreenWidth, screenHeight = kScreenHeight;
    if (orientation == 1 || orientation == 3) std::swap(screenWidth, screenHeight);
    const DisplayParams params = display->GetParams();
    if (screenHeight != params.height && screenHeight > 0)
        inputScaleY = static_cast<float>(params.height) / static_cast<float>(screenHeight);
    if (screenWidth != params.width && screenWidth > 0)
        inputScaleX = static_cast<float>(params.width) / static_cast<float>(screenWidth);
}

int WindowedProgram::OpenDisplay(int32_t newOrientation) {
    orientation = newOrientation;
    delete display;
    display = nullptr;
    DisplayParams params;
    params.orientation = orientation;
    params.swapEffect = displayMode;
    display = Display::Create(window ? window->NativeHandle() : nullptr, &params);
    if (display && display->BeginScene()) {
        if (Surface* back = display->GetBackBuffer()) Clear(back, 0x0000);
        display->Present(kPresentFirst);
    }
    return display ? 1 : 0;
}

Surface* WindowedProgram::BackBuffer() {
    if (!display || !display->BeginScene()) return nullptr;
    return display->GetBackBuffer();
}

void WindowedProgram::RequestClose() {
    if (window) PostMessage(window, WM_CLOSE, 0, 0);
}

int WindowedProgram::HandleInput(uint32_t, uintptr_t, uintptr_t) {
    return 0;
}

void WindowedProgram::ShowSplash() {
    std::unique_ptr<Surface> image(LoadImageResource(splashImage, kResourceGif, instance));
    if (!image) return;
    std::unique_ptr<Surface> screen(GrabScreen(display, 0, 0));
    CrossFade(display, image.get(), kSplashFadeMs);
    SleepMilliseconds(kSplashHoldMs);
    if (screen) {
        Clear(screen.get(), 0x0000);
        CrossFade(display, screen.get(), kSplashFadeMs);
    }
}

uintptr_t WindowedProgram::MapPenPosition(uintptr_t lParam) const {
    int32_t px = static_cast<int32_t>(lParam & 0xFFFF);
    int32_t py = static_cast<int32_t>((lParam >> 16) & 0xFFFF);
    switch (orientation) {
        case 0:
            break;
        case 1: {
            const int32_t turned = kScreenHeight - py;
            py = px;
            px = turned;
            break;
        }
        case 3: {
            const int32_t turned = kScreenWidth - px;
            px = py;
            py = turned;
            break;
        }
        default:
            px = py = 0;
            break;
    }
    px = static_cast<int32_t>(static_cast<float>(px) * inputScaleX);
    py = static_cast<int32_t>(static_cast<float>(py) * inputScaleY);
    return PackPoint(px, py);
}

intptr_t WindowedProgram::WindowProcedure(Window* w, uint32_t message, uintptr_t wParam,
                                          uintptr_t lParam) {
    if (message == WM_CREATE) {
        auto* program = reinterpret_cast<WindowedProgram*>(lParam);
        w->userData = program;
        program->window = w;
        return program->OnCreate() ? 0 : -1;
    }
    auto* program = static_cast<WindowedProgram*>(w->userData);
    if (!program) return DefWindowProc(w, message, wParam, lParam);
    switch (message) {
        case WM_DESTROY:
            PostQuitMessage(0);
            // The display draws into the window and goes with it: the native
            // window takes its renderer along when it is destroyed.
            delete program->display;
            program->display = nullptr;
            program->window = nullptr;
            break;
        case WM_ACTIVATE:
            program->active = (wParam & 0xFFFF) != 0;
            if (program->display) program->display->SetActive(program->active != 0);
            break;
        case WM_PAINT:
            if (program->active) {
                // Present sends only a changed frame; the window lost what
                // it showed, so the frame on screen is shown again as well.
                if (program->BackBuffer()) program->display->Present(0);
                program->display->Refresh();
            }
            break;
        case WM_CLOSE:
            return HandleClose(program, w, message, wParam, lParam);
        case WM_ERASEBKGND:
            return 1;
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_CHAR:
        case WM_COMMAND:
        case WM_TIMER:
        case WM_DROPFILES:
            program->HandleInput(message, wParam, lParam);
            break;
        default:
            if (IsPen(message) || message == WM_MOUSEWHEEL) {
                lParam = program->MapPenPosition(lParam);
                program->HandleInput(message, wParam, lParam);
            }
            break;
    }
    return DefWindowProc(w, message, wParam, lParam);
}

int WindowedProgram::Run() {
    const uint32_t period = FramePeriod();
    active = 1;
    uint32_t last = 0;
    Message msg;
    for (;;) {
        if (!active) {
            // A failed wait (nothing can ever arrive) ends the loop too
            // rather than spinning on it.
            if (GetMessage(&msg) <= 0) return Shutdown();
        } else if (!PeekMessage(&msg, true)) {
            // Idle: the next frame when it is due, else a wait for the next
            // message that ends no later than that.
            const uint32_t now = clock();
            if (now - last < period) {
                wait(period - (now - last));
                continue;
            }
            if (!Frame()) {
                if (Window::IsAlive(window)) Window::Destroy(window);
                return Shutdown();
            }
            last = now;
            continue;
        }
        if (msg.message == WM_QUIT) return Shutdown();
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
}

}  // namespace ampliro
