#pragma once

#include "platform/StillPictureWindow.h"

#include <memory>
#include <vector>

namespace platform::fake {

// Still picture windows a test looks at: each one made is kept with what it
// shows, whether it is shown and whether it is still there (freed). With `refuse`
// the factory makes none, as on a display without a 32-bit visual.
//
//   platform::fake::FakeStillPictureWindows pictures;
//   services.stillPictureWindows = pictures.factory();
class FakeStillPictureWindows final {
public:
    struct Made {
        StillPicture still;
        bool shown = false;
        bool alive = true;
        int shows = 0;
    };

    StillPictureWindowFactory factory()
    {
        return [this](const StillPicture& still) -> std::unique_ptr<StillPictureWindow> {
            if (refuse)
                return nullptr;
            auto made = std::make_shared<Made>();
            made->still = still;
            windows.push_back(made);
            return std::make_unique<Window>(made);
        };
    }

    bool refuse = false;
    std::vector<std::shared_ptr<Made>> windows;

private:
    class Window final : public StillPictureWindow {
    public:
        explicit Window(std::shared_ptr<Made> made)
            : m_made(std::move(made))
        {
        }
        ~Window() override
        {
            m_made->shown = false;
            m_made->alive = false;
        }
        void show() override
        {
            m_made->shown = true;
            ++m_made->shows;
        }

    private:
        std::shared_ptr<Made> m_made;
    };
};

} // namespace platform::fake
