#include "render/gl_setup.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "view/projection.h"

void init_gl_state() {
    glClearColor(1.0f, 1.0f, 1.0f, 0.0f);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LINE_SMOOTH);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    // Antialiasing, where the framebuffer has the samples for it.
    glEnable(GL_MULTISAMPLE);
}

bool apply_projection(const ViewSettings& settings, Camera& camera) {
    // A zero height would make the aspect ratio infinite or NaN, a zero width
    // makes it 0, which the perspective rejects: skip the frame instead.
    if (settings.client_width <= 0 || settings.client_height <= 0) {
        return false;
    }
    glViewport(0, 0, settings.client_width, settings.client_height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (settings.perspective_3d) {
        const double aspect = static_cast<double>(settings.client_width) /
                              static_cast<double>(settings.client_height);
        const ProjectionPlanes planes = projection_planes(settings, camera);
        gluPerspective(field_of_view_degrees, aspect, planes.near_plane, planes.far_plane);
        return true;
    }
    // The camera height is the zoom; the visible square stretches with the
    // window whatever its aspect ratio. The far plane moves up and down with
    // the camera, so that zooming out never leaves the scene behind it.
    if (camera.position.z < lowest_2d_height) {
        camera.position.z = lowest_2d_height;
    }
    const double h = camera.position.z;
    const ProjectionPlanes planes = projection_planes(settings, camera);
    glOrtho(-h, h, -h, h, planes.near_plane, planes.far_plane);
    return true;
}

void apply_viewing_transform(const Camera& camera) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const Vector3& eye = camera.position;
    const Vector3 centre = camera.position + camera.view_direction;
    gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, 0.0, 0.0, 1.0);
}

void setup_light() {
    constexpr GLfloat ambient[] = {0.1f, 0.1f, 0.1f, 1.0f};
    constexpr GLfloat diffuse[] = {0.4f, 0.4f, 0.4f, 1.0f};
    constexpr GLfloat specular[] = {1.0f, 1.0f, 1.0f, 1.0f};
    constexpr GLfloat position[] = {0.0f, 0.0f, 5.0f, 1.0f};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
}

bool render_frame(SceneRenderer& scene, const SceneInput& input, const ViewSettings& settings,
                  Camera& camera) {
    if (settings.client_width <= 0 || settings.client_height <= 0) {
        return false;
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    apply_projection(settings, camera);
    apply_viewing_transform(camera);
    setup_light();
    scene.draw_scene(input, settings, camera);
    return true;
}
