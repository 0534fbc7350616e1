#include "scenegen/stereoscene.h"

#include "imaging/pxerror.h"
#include "scenegen/vector3.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <optional>

namespace {

// Lengths in metres; x to the right, y up, z away from the viewer.
struct Sphere {
    Vector3 centre;
    double radius;
    Vector3 colour;
};

constexpr std::array<Sphere, 5> kSpheres = {{
    {{-0.40, 0.35, 2.4}, 0.35, {0.85, 0.12, 0.10}},  // red, nearest
    {{0.60, 0.50, 3.5}, 0.50, {0.90, 0.80, 0.15}},   // yellow
    {{-1.30, 0.60, 5.5}, 0.60, {0.55, 0.20, 0.75}},  // purple
    {{2.00, 0.70, 8.0}, 0.70, {0.10, 0.65, 0.75}},   // cyan
    {{-0.40, 0.90, 12.0}, 0.90, {0.15, 0.75, 0.20}}, // green, farthest
}};

constexpr double kEyeSeparation = 0.064;
constexpr double kEyeHeight = 1.2;
constexpr double kHorizontalFieldOfView = 60 * std::numbers::pi / 180;
constexpr double kPitchDown = 8 * std::numbers::pi / 180; // to see the nearest sphere whole
constexpr double kCheckerSize = 1.0;
constexpr double kFogDistance = 40; // distance at which the floor fades by 1/e
constexpr double kFogEnd = 1000;    // beyond it only fog is left
constexpr double kAmbient = 0.2;
constexpr double kSpecular = 0.35;
constexpr double kShininess = 40;
constexpr double kSurfaceOffset = 1e-6; // keeps a shadow ray off its own surface

const Vector3 kToSun = Normalized({-0.4, 0.8, -0.45});
const Vector3 kHorizonSky = {0.75, 0.85, 0.95};
const Vector3 kZenithSky = {0.25, 0.45, 0.85};
const Vector3 kLightSquare = {0.85, 0.85, 0.80};
const Vector3 kDarkSquare = {0.25, 0.25, 0.30};

struct Ray {
    Vector3 origin;
    Vector3 direction; // of unit length
};

// Distance along ray to the sphere's near surface, if it is hit in front.
std::optional<double> HitDistance(const Ray& ray, const Sphere& sphere) {
    const Vector3 offset = ray.origin - sphere.centre;
    const double half = Dot(offset, ray.direction);
    const double discriminant = half * half - Dot(offset, offset) + sphere.radius * sphere.radius;
    if (discriminant < 0)
        return std::nullopt;
    const double root = std::sqrt(discriminant);
    for (const double distance : {-half - root, -half + root})
        if (distance > 0)
            return distance;
    return std::nullopt;
}

struct SphereHit {
    double distance;
    const Sphere* sphere;
};

std::optional<SphereHit> NearestSphere(const Ray& ray) {
    std::optional<SphereHit> nearest;
    for (const Sphere& sphere : kSpheres) {
        const std::optional<double> distance = HitDistance(ray, sphere);
        if (distance && (!nearest || *distance < nearest->distance))
            nearest = SphereHit{*distance, &sphere};
    }
    return nearest;
}

bool InShadow(Vector3 point, Vector3 normal) {
    return NearestSphere({point + kSurfaceOffset * normal, kToSun}).has_value();
}

// Lambert shading with a little specular light towards the viewer.
Vector3 Shade(Vector3 colour, Vector3 point, Vector3 normal, Vector3 toViewer, double specular) {
    const double facing = Dot(normal, kToSun);
    if (facing <= 0 || InShadow(point, normal))
        return kAmbient * colour;
    const Vector3 reflected = 2 * facing * normal - kToSun;
    const double highlight =
        specular * std::pow(std::max(0.0, Dot(reflected, toViewer)), kShininess);
    const Vector3 white = {1, 1, 1};
    return (kAmbient + (1 - kAmbient) * facing) * colour + highlight * white;
}

Vector3 Sky(Vector3 direction) {
    return Mix(kHorizonSky, kZenithSky, std::sqrt(std::max(0.0, direction.y)));
}

Vector3 Floor(const Ray& ray, double distance) {
    if (distance > kFogEnd)
        return kHorizonSky;
    const Vector3 point = ray.origin + distance * ray.direction;
    const int64_t column = static_cast<int64_t>(std::floor(point.x / kCheckerSize));
    const int64_t row = static_cast<int64_t>(std::floor(point.z / kCheckerSize));
    const bool light = ((column + row) & 1) == 0;
    const Vector3 lit =
        Shade(light ? kLightSquare : kDarkSquare, point, {0, 1, 0}, -1 * ray.direction, 0);
    return Mix(kHorizonSky, lit, std::exp(-distance / kFogDistance));
}

Vector3 Trace(const Ray& ray) {
    const std::optional<SphereHit> sphere = NearestSphere(ray);
    const double floorDistance = ray.direction.y < 0 ? -ray.origin.y / ray.direction.y : INFINITY;
    if (sphere && sphere->distance < floorDistance) {
        const Vector3 point = ray.origin + sphere->distance * ray.direction;
        const Vector3 normal = (1 / sphere->sphere->radius) * (point - sphere->sphere->centre);
        return Shade(sphere->sphere->colour, point, normal, -1 * ray.direction, kSpecular);
    }
    if (std::isfinite(floorDistance))
        return Floor(ray, floorDistance);
    return Sky(ray.direction);
}

uint8_t ToByte(double level) {
    return static_cast<uint8_t>(std::lround(std::clamp(level, 0.0, 1.0) * 255));
}

// One eye's picture, from a viewpoint sideways of the middle of the eyes.
void RenderEye(double sideways, pxImage& image) {
    const int32_t width = image.GetWidth();
    const int32_t height = image.GetHeight();
    const Vector3 eye = {sideways, kEyeHeight, 0};
    const Vector3 forward = {0, -std::sin(kPitchDown), std::cos(kPitchDown)};
    const Vector3 up = {0, std::cos(kPitchDown), std::sin(kPitchDown)};
    const Vector3 right = {1, 0, 0};
    // Screen distance in pixels for the field of view.
    const double focal = width / 2.0 / std::tan(kHorizontalFieldOfView / 2);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* pixel = image.Row(y);
        for (int32_t x = 0; x < width; ++x, pixel += 3) {
            const double across = x + 0.5 - width / 2.0;
            const double above = height / 2.0 - (y + 0.5);
            const Vector3 direction = Normalized(focal * forward + across * right + above * up);
            const Vector3 colour = Trace({eye, direction});
            pixel[0] = ToByte(colour.z);
            pixel[1] = ToByte(colour.y);
            pixel[2] = ToByte(colour.x);
        }
    }
}

} // namespace

void RenderStereoScene(int32_t eyeWidth, int32_t eyeHeight, pxImage& left, pxImage& right,
                       double cameraShift) {
    if (eyeWidth < 1 || eyeHeight < 1)
        throw pxError("RenderStereoScene: the eye pictures cannot be %d x %d pixels.", eyeWidth,
                      eyeHeight);
    left.Create({eyeWidth, eyeHeight}, 3, 4);
    right.Create({eyeWidth, eyeHeight}, 3, 4);
    RenderEye(cameraShift - kEyeSeparation / 2, left);
    RenderEye(cameraShift + kEyeSeparation / 2, right);
}
