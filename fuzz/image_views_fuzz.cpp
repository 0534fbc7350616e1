// Cuts views, fields and eye pairs out of small buffers with arbitrary
// rectangles, field types and orientations, then touches every byte each view
// claims: any view that passes its checks must lie inside its buffer.
#include "imaging/pxerror.h"
#include "imaging/pximage.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

class Input {
public:
    Input(const uint8_t* data, size_t size) : data(data), size(size) {}
    int32_t Next() {
        int32_t value = 0;
        const size_t take = size < sizeof value ? size : sizeof value;
        std::memcpy(&value, data, take);
        data += take;
        size -= take;
        return value;
    }
    int32_t Small(int32_t limit) {
        return static_cast<int32_t>(static_cast<uint32_t>(Next()) % limit);
    }
    bool Empty() const { return size == 0; }

private:
    const uint8_t* data;
    size_t size;
};

void Touch(const pxImage& view) {
    if (!view.HasBuffer())
        return;
    const size_t rowBytes = static_cast<size_t>(view.GetWidth()) * view.GetBytesPerPixel();
    for (int32_t row = 0; row < view.GetHeight(); ++row)
        std::memset(view.Row(row), 0x5A, rowBytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    try {
        pxImage frame({1 + in.Small(64), 1 + in.Small(64)}, 1 + in.Small(4), 1 + in.Small(8),
                      in.Small(2));
        pxImage view = frame;
        while (!in.Empty()) {
            const px2Rect rect{in.Next() % 80, in.Next() % 80, in.Next() % 80, in.Next() % 80};
            const int32_t field = in.Small(4);
            const int32_t bottomUp = in.Small(3);
            try {
                switch (in.Small(5)) {
                case 0:
                    view.SetRect(in.Small(2) ? frame : view, rect, field, bottomUp);
                    break;
                case 1:
                    view.Attach(in.Small(2) ? frame : view, field, bottomUp);
                    break;
                case 2: {
                    pxImage left, right;
                    SetupStereoPair(view, left, right, in.Small(7));
                    Touch(left);
                    Touch(right);
                    break;
                }
                case 3: {
                    pxStereoImage pair;
                    pair.Create(in.Small(7), {1 + in.Small(40), 1 + in.Small(40)}, 1 + in.Small(4),
                                1 + in.Small(8), in.Small(2));
                    Touch(pair.left);
                    Touch(pair.right);
                    break;
                }
                default:
                    view.SetVirtual({in.Next() % 100, in.Next() % 100}, rect, 1 + in.Small(4),
                                    field, bottomUp);
                    view = frame;
                    break;
                }
                Touch(view);
            } catch (const pxError&) {
                view = frame; // a refused view is unusable; start again from the frame
            }
        }
    } catch (const pxError&) {
    }
    return 0;
}
