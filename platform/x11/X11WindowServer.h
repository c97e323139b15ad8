#pragma once

#include "platform/Pointer.h"
#include "platform/WindowServer.h"
#include "platform/x11/X11Context.h"

#include <memory>

namespace platform::x11 {

class X11WindowServer final : public WindowServer {
public:
    explicit X11WindowServer(std::shared_ptr<X11Context> ctx) : m_ctx(std::move(ctx)) {}

    std::vector<ServerWindow> windowList() override;
    std::optional<ServerWindow> window(quint32 id) override;
    std::optional<quint32> windowAt(QPoint rootPoint) override;
    std::optional<qint32> processOfWindow(quint32 id) override;
    std::vector<quint64> spacesOfWindow(quint32 id) override;
    std::optional<quint32> activeWindow() override;
    std::optional<QImage> windowImage(quint32 id) override;
    std::vector<QImage> windowIcons(quint32 id) override;
    QRect primaryScreen() override { return m_ctx->primaryScreen(); }
    bool activate(quint32 id) override;
    bool minimize(quint32 id) override;
    bool unminimize(quint32 id) override;
    bool close(quint32 id) override;
    bool setFullScreen(quint32 id, bool on) override;
    bool moveFrame(quint32 id, QPoint topLeft) override;
    bool resizeFrame(quint32 id, QSize size) override;

private:
    std::shared_ptr<X11Context> m_ctx;
};

class X11Pointer final : public Pointer {
public:
    explicit X11Pointer(std::shared_ptr<X11Context> ctx) : m_ctx(std::move(ctx)) {}
    QPoint position() override;
    void warp(QPoint rootPoint) override;

private:
    std::shared_ptr<X11Context> m_ctx;
};

} // namespace platform::x11
