#pragma once

#include "platform/HoverArea.h"

#include <memory>
#include <vector>

namespace platform::fake {

// Hover areas a test looks at and moves the pointer across: each one made is
// kept with its spec, its input region and whether it is still there. With
// `refuse` the factory makes none, as on a display without SHAPE.
//
//   platform::fake::FakeHoverAreas areas;
//   services.hoverAreas = areas.factory();
//   ...
//   areas.windows.back()->cross(true); // the pointer came in
class FakeHoverAreas final {
public:
    struct Made {
        HoverAreaSpec spec;
        QRegion inputRegion;
        bool alive = true;
        int regionChanges = 0;

        // The pointer crosses in or out as the display would tell it: only an
        // area that is there and takes the pointer somewhere hears of it.
        bool cross(bool entered)
        {
            if (!alive || (entered && inputRegion.isEmpty()) || !spec.crossed)
                return false;
            // A copy: the area may go from the call.
            const std::function<void(bool)> crossed = spec.crossed;
            crossed(entered);
            return true;
        }

        // The pointer moves or clicks at `at` (the area's own coordinates),
        // heard only where the area takes it.
        bool point(const HoverAreaPointer& pointer)
        {
            if (!alive || !inputRegion.contains(pointer.position) || !spec.pointer)
                return false;
            const std::function<void(const HoverAreaPointer&)> listener = spec.pointer;
            listener(pointer);
            return true;
        }
    };

    HoverAreaFactory factory()
    {
        return [this](const HoverAreaSpec& spec) -> std::unique_ptr<HoverArea> {
            if (refuse)
                return nullptr;
            auto made = std::make_shared<Made>();
            made->spec = spec;
            windows.push_back(made);
            return std::make_unique<Area>(made);
        };
    }

    // The areas still there.
    std::vector<std::shared_ptr<Made>> alive() const
    {
        std::vector<std::shared_ptr<Made>> result;
        for (const auto& made : windows)
            if (made->alive)
                result.push_back(made);
        return result;
    }

    bool refuse = false;
    std::vector<std::shared_ptr<Made>> windows;

private:
    class Area final : public HoverArea {
    public:
        explicit Area(std::shared_ptr<Made> made)
            : m_made(std::move(made))
        {
        }
        ~Area() override
        {
            m_made->alive = false;
            m_made->inputRegion = QRegion();
        }
        void setInputRegion(const QRegion& region) override
        {
            if (region != m_made->inputRegion)
                ++m_made->regionChanges;
            m_made->inputRegion = region;
        }
        void setGeometry(const QRect& geometry) override { m_made->spec.geometry = geometry; }

    private:
        std::shared_ptr<Made> m_made;
    };
};

} // namespace platform::fake
