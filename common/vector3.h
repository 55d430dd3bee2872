#pragma once

#include "common/names_helper.h"

// Three single-precision components. Used for given and displayed vertex
// positions, the camera and all scene geometry.
//
// Arithmetic stays in single precision: double factors and divisors are first
// rounded to float. Only the length is computed in double.
struct Vector3 : MathNamesHelper {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    Vector3() = default;
    Vector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
    Vector3(const Vector3&) = default;
    Vector3& operator=(const Vector3&) = default;

    Vector3 operator+(const Vector3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vector3 operator-(const Vector3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vector3& operator+=(const Vector3& o) { return *this = *this + o; }
    Vector3& operator-=(const Vector3& o) { return *this = *this - o; }

    // Multiplies every component by `factor` rounded to float.
    Vector3 operator*(double factor) const;
    // Divides every component by `divisor` rounded to float; returns the vector
    // unchanged when that divisor is 0.
    Vector3 operator/(double divisor) const;

    bool operator==(const Vector3& o) const { return x == o.x && y == o.y && z == o.z; }

    // Euclidean length, accumulated in double.
    double length() const;
};

// v divided by its length; the null vector stays null.
Vector3 normalize(const Vector3& v);
// a × b = (a.y·b.z − a.z·b.y, a.z·b.x − a.x·b.z, a.x·b.y − a.y·b.x).
Vector3 cross(const Vector3& a, const Vector3& b);
// Scalar product, in single precision like the rest of the vector arithmetic.
float dot(const Vector3& a, const Vector3& b);
