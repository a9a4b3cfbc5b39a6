#pragma once
// A point in single precision, as the drawing context's polygon calls take it.
struct PointF {
    float X = 0.0f;
    float Y = 0.0f;
};
