#pragma once

#include <QOpenGLWidget>
#include <functional>
#include <memory>

class MainWindowLogic;
class SceneRenderer;

// The main window's drawing area. Each frame runs the camera input of the
// logic, then draws the scene; a new frame is asked for as soon as the last
// one reaches the screen, so the view redraws continuously, between events.
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
};

// The context every GL view asks for: desktop OpenGL with the fixed
// functions (compatibility profile), 24-bit colour, a 16-bit depth buffer,
// double-buffered. Set it as the default before the application object.
QSurfaceFormat view_surface_format();

// Whether a context of that format can be made and drawn with.
bool can_make_view_context();
