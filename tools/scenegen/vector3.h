// The three-component vector arithmetic of the ray caster.
#pragma once

#include <cmath>

struct Vector3 {
    double x = 0;
    double y = 0;
    double z = 0;
};

inline Vector3 operator+(Vector3 a, Vector3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vector3 operator-(Vector3 a, Vector3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vector3 operator*(double s, Vector3 v) {
    return {s * v.x, s * v.y, s * v.z};
}
// Component by component: a colour lit by a light colour.
inline Vector3 operator*(Vector3 a, Vector3 b) {
    return {a.x * b.x, a.y * b.y, a.z * b.z};
}
inline double Dot(Vector3 a, Vector3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vector3 Normalized(Vector3 v) {
    return (1 / std::sqrt(Dot(v, v))) * v;
}
inline Vector3 Mix(Vector3 a, Vector3 b, double t) {
    return (1 - t) * a + t * b;
}
