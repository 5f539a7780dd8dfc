// The tray icon's animation: each change of the console display steps the
// icon back and forth over frames 7 to 10 of the tray pictures (7, 8, 9, 10,
// 9, 8, 7, 8, ...). The window shows the frame it is given.
#pragma once

#include <functional>

namespace ravelin {

class TrayAnimation {
public:
    static constexpr int kFirstFrame = 7;
    static constexpr int kLastFrame = 10;

    // Shows a frame and switches the icon on.
    void setShowFrame(std::function<void(int)> show) { m_show = std::move(show); }

    void BumpTray()
    {
        if (m_direction == 0)
            m_direction = 1;
        m_frame += m_direction;
        if (m_frame > kLastFrame) {
            m_direction = -1;
            m_frame = kLastFrame - 1;
        } else if (m_frame < kFirstFrame) {
            m_direction = 1;
            m_frame = kFirstFrame;
        }
        if (m_show)
            m_show(m_frame);
    }

    int frame() const { return m_frame; }

private:
    std::function<void(int)> m_show;
    int m_frame = 0;
    int m_direction = 0;
};

} // namespace ravelin
