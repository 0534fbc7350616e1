#include "imaging/octtree.h"

#include "imaging/pixelops.h"
#include "imaging/pxerror.h"

namespace {

constexpr int kFewestColours = 8;

// The child slot of a colour at the level that tests `bit`.
int ChildIndex(uint8_t red, uint8_t green, uint8_t blue, int bit) {
    return (red & bit ? 4 : 0) + (green & bit ? 2 : 0) + (blue & bit ? 1 : 0);
}

} // namespace

octTree::octTree(int limit) : maxColours(limit) {
    if (limit < kFewestColours)
        throw pxError("octTree: cannot reduce to fewer than %d colours (%d)", kFewestColours,
                      limit);
}

octTree::~octTree() {
    Clear();
    while (freeList) {
        Node* node = freeList;
        freeList = node->next;
        delete node;
    }
}

octTree::Node* octTree::NewNode() {
    if (!freeList)
        return new Node;
    Node* node = freeList;
    freeList = node->next;
    *node = Node{};
    return node;
}

void octTree::FreeNode(Node* node) {
    node->next = freeList;
    freeList = node;
}

bool octTree::ReduceOnce() {
    // The newest inner node of the deepest level that still has one.
    if (reduceLevel == 0)
        return false;
    while (!reducible[reduceLevel - 1]) {
        if (--reduceLevel == 0)
            return false;
    }
    Node* node = reducible[reduceLevel - 1];
    reducible[reduceLevel - 1] = node->next;
    node->next = nullptr;
    node->isLeaf = true;
    ++leafCount;
    // Its children lie at reduceLevel, where every node is a leaf.
    for (Node*& child : node->children) {
        if (!child)
            continue;
        node->pixelCount += child->pixelCount;
        node->sumRed += child->sumRed;
        node->sumGreen += child->sumGreen;
        node->sumBlue += child->sumBlue;
        --leafCount;
        FreeNode(child);
        child = nullptr;
    }
    return true;
}

void octTree::ReduceToLimit() {
    while (leafCount > maxColours && ReduceOnce()) {
    }
}

void octTree::insert_color(uint8_t red, uint8_t green, uint8_t blue) {
    ReduceToLimit();
    // No inner node lies at or below reduceLevel (at most the last level), so
    // the walk always ends in a leaf.
    Node* node = &root;
    for (int level = 0; level < kLevels; ++level) {
        Node*& child = node->children[ChildIndex(red, green, blue, 0x80 >> level)];
        if (!child) {
            child = NewNode();
            if (level == reduceLevel) {
                child->isLeaf = true;
                ++leafCount;
            } else {
                child->next = reducible[level];
                reducible[level] = child;
            }
        }
        if (child->isLeaf) {
            ++child->pixelCount;
            child->sumRed += red;
            child->sumGreen += green;
            child->sumBlue += blue;
            return;
        }
        node = child;
    }
}

void octTree::insert_colors(const pxImage& image) {
    const int bytesPerPixel = image.GetBytesPerPixel();
    if (bytesPerPixel != 3 && bytesPerPixel != 4)
        throw pxError("octTree::insert_colors needs 3 or 4 byte per pixel image");
    CheckPixelAccess(image, "octTree::insert_colors");
    for (int32_t y = 0; y < image.GetHeight(); ++y) {
        const uint8_t* pixel = image.Row(y);
        for (int32_t x = 0; x < image.GetWidth(); ++x, pixel += bytesPerPixel)
            insert_color(pixel[0], pixel[1], pixel[2]);
    }
}

void octTree::insert_palette(const pxPalette& palette, int first, int last) {
    if (first <= last && (first < 0 || last >= palette.GetCount()))
        throw pxError("octTree::insert_palette -- entries %d to %d lie outside the palette of %d "
                      "colours",
                      first, last, palette.GetCount());
    for (int i = first; i <= last; ++i)
        insert_color(palette[i].red, palette[i].green, palette[i].blue);
}

void octTree::gen_colormap(pxPalette& palette, int firstIndex) {
    ReduceToLimit();
    if (firstIndex < 0 || firstIndex >= palette.GetCount())
        throw pxError("octTree::gen_colormap -- first index %d is outside the palette of %d "
                      "colours",
                      firstIndex, palette.GetCount());
    // Checked before writing, so that a failure leaves the palette as it was.
    if (int64_t{firstIndex} + leafCount > palette.GetCount()) {
        pxLog("octTree::gen_colormap -- Problem generating colormap");
        throw pxError("Problem generating colormap");
    }
    int nextIndex = firstIndex;
    AssignColours(root, palette, nextIndex);
}

void octTree::AssignColours(Node& node, pxPalette& palette, int& nextIndex) {
    for (Node* child : node.children) {
        if (!child)
            continue;
        if (!child->isLeaf) {
            AssignColours(*child, palette, nextIndex);
            continue;
        }
        child->colourIndex = nextIndex;
        palette[nextIndex++] =
            pxColor::Rgb(static_cast<uint8_t>(child->sumRed / child->pixelCount),
                         static_cast<uint8_t>(child->sumGreen / child->pixelCount),
                         static_cast<uint8_t>(child->sumBlue / child->pixelCount));
    }
}

const octTree::Node* octTree::FindLeaf(uint8_t red, uint8_t green, uint8_t blue) const {
    const Node* node = &root;
    for (int level = 0; level < kLevels; ++level) {
        node = node->children[ChildIndex(red, green, blue, 0x80 >> level)];
        if (!node || node->isLeaf)
            return node;
    }
    return nullptr;
}

int octTree::map_inserted_color(uint8_t red, uint8_t green, uint8_t blue) const {
    if (const Node* leaf = FindLeaf(red, green, blue))
        return leaf->colourIndex;
    throw pxError("Map_inserted_color failed (maybe need map_color?)");
}

int octTree::map_color(uint8_t red, uint8_t green, uint8_t blue) const {
    if (const Node* leaf = FindLeaf(red, green, blue))
        return leaf->colourIndex;
    throw pxError("Bad error in octree::map_color");
}

void octTree::map_image(const pxImage& source, pxImage& destination) const {
    if (source.GetWidth() != destination.GetWidth() ||
        source.GetHeight() != destination.GetHeight())
        throw pxError("map_image source and destination must be same size\n");
    const int sourceBytes = source.GetBytesPerPixel();
    const int destinationBytes = destination.GetBytesPerPixel();
    if (sourceBytes != 3 && sourceBytes != 4)
        throw pxError("map_image source must be 3 or 4 bytes per pixel");
    if (destinationBytes != 1 && destinationBytes != 2)
        throw pxError("map_image destination must be 1 or 2 bytes per pixel (%d)",
                      destinationBytes);
    CheckPixelAccess(source, "octTree::map_image");
    CheckPixelAccess(destination, "octTree::map_image");
    // A 2-byte destination keeps a 4-byte source's extra byte beside the index.
    const bool keepFourthByte = sourceBytes == 4 && destinationBytes == 2;
    for (int32_t y = 0; y < source.GetHeight(); ++y) {
        const uint8_t* in = source.Row(y);
        uint8_t* out = destination.Row(y);
        for (int32_t x = 0; x < source.GetWidth();
             ++x, in += sourceBytes, out += destinationBytes) {
            out[0] = static_cast<uint8_t>(map_inserted_color(in[0], in[1], in[2]));
            if (keepFourthByte)
                out[1] = in[3];
        }
    }
}

void octTree::Clear() {
    while (ReduceOnce()) {
    }
    // Fully reduced, the root's children are leaves without children.
    for (Node* child : root.children)
        if (child)
            FreeNode(child);
    root = Node{};
    reduceLevel = kLevels - 1;
    leafCount = 0;
}
