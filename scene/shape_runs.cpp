// The runs of not-black pixels of a picture.
#include "scene/shape_runs.h"

int32_t MaxShapeRuns(int32_t width, int32_t height)
{
    return (width + 1) / 2 * height;
}

int32_t NonBlackRuns(const uint32_t* pixels, int32_t width, int32_t height, int32_t stride,
                     ShapeRun* runs)
{
    int32_t count = 0;
    for (int32_t y = 0; y < height; ++y) {
        const uint32_t* row = pixels + static_cast<intptr_t>(y) * stride;
        int32_t x = 0;
        while (x < width) {
            while (x < width && (row[x] & 0xFFFFFF) == 0)
                ++x;
            const int32_t left = x;
            while (x < width && (row[x] & 0xFFFFFF) != 0)
                ++x;
            if (x > left)
                runs[count++] = {y, left, x};
        }
    }
    return count;
}
