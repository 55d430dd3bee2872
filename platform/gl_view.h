#pragma once

#include <QElapsedTimer>
#include <QOpenGLWidget>
#include <QTimer>
#include <functional>
#include <memory>

#include "view/overlay.h"

class MainWindowLogic;
class QFont;
class SceneRenderer;

// The main window's drawing area. Each frame runs the camera input of the
// logic, then draws the scene. Frames are drawn only when asked for (and when
// the window system needs one: shown, uncovered, resized). While the logic
// says the picture moves by itself (a movement key held, mouse look), each
// frame asks for the next one, at most one frame every 16 ms: where the
// buffer swap waits for the display (swap interval 1) the display sets the
// pace, elsewhere (a virtual display) the timer does, at about 60 Hz. When
// nothing moves, nothing is drawn and the view costs no processor time.
// The vertex labels and the legend are painted over the scene with QPainter.
// The wheel and dragging with the left button move the camera.
class GlView : public QOpenGLWidget {
  public:
    GlView(MainWindowLogic& logic, QWidget* parent);
    ~GlView() override;

    // Called once if the context turns out unusable for the fixed-function
    // drawing (no context, or OpenGL ES).
    void set_failure_handler(std::function<void()> handler) { on_failure_ = std::move(handler); }

    // Whether the GL state is set up and the scene can be drawn.
    bool ready() const { return scene_ != nullptr; }
    // Frames drawn so far.
    long frame_count() const { return frames_; }

    // Asks for a frame, no sooner than one frame interval after the last.
    void request_frame();

    // How the labels' and the legend's font measures text.
    TextMetrics overlay_text_metrics() const;

  protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    MainWindowLogic& logic_;
    std::unique_ptr<SceneRenderer> scene_;
    std::function<void()> on_failure_;
    long frames_ = 0;
    QTimer frame_timer_;
    QTimer trim_timer_;
    QElapsedTimer since_frame_;
};

// The shortest time between two frames, in milliseconds.
inline constexpr int frame_interval_ms = 16;

// The context every GL view asks for: desktop OpenGL with the fixed
// functions (compatibility profile), 24-bit colour, a 16-bit depth buffer,
// 4 samples per pixel for antialiasing (where the context offers them),
// double-buffered, the swap waiting for the display's refresh. Set it as the default before the application object.
QSurfaceFormat view_surface_format();

// Whether a context of that format can be made and drawn with.
bool can_make_view_context();

// How `font` measures text, in pixels.
TextMetrics text_metrics(const QFont& font);
