#include "common/vector3.h"

#include <cmath>

Vector3 Vector3::operator*(double factor) const {
    const float f = static_cast<float>(factor);
    return {x * f, y * f, z * f};
}

Vector3 Vector3::operator/(double divisor) const {
    const float d = static_cast<float>(divisor);
    if (divisor == 0.0 || d == 0.0f) {
        return *this;
    }
    return {x / d, y / d, z / d};
}

double Vector3::length() const {
    const double dx = x, dy = y, dz = z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

Vector3 normalize(const Vector3& v) {
    return v / v.length();
}

Vector3 cross(const Vector3& a, const Vector3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float dot(const Vector3& a, const Vector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
