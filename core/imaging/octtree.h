// Octree colour quantizer: reduces the colours inserted into it to at most
// maxColours representatives, writes them into a palette and maps colours to
// their palette indices.
#pragma once

#include "imaging/pximage.h"

#include <cstdint>
#include <vector>

class octTree {
public:
    // The tree cannot merge the root, so it never holds fewer than the root's
    // eight children: a limit below 8 is refused.
    explicit octTree(int maxColours);
    ~octTree();
    octTree(const octTree&) = delete;
    octTree& operator=(const octTree&) = delete;

    void insert_color(uint8_t red, uint8_t green, uint8_t blue);
    // Every pixel of a 3- or 4-byte image, bytes 0, 1, 2 taken as red, green, blue.
    void insert_colors(const pxImage& image);
    // Palette entries first to last inclusive.
    void insert_palette(const pxPalette& palette, int first, int last);

    // Gives each leaf the next palette index from firstIndex on; throws, with
    // the palette untouched, when the leaves do not fit.
    void gen_colormap(pxPalette& palette, int firstIndex);

    int map_inserted_color(uint8_t red, uint8_t green, uint8_t blue) const;
    int map_color(uint8_t red, uint8_t green, uint8_t blue) const;
    // Source 3 or 4 bytes per pixel, destination 1 or 2, same size.
    void map_image(const pxImage& source, pxImage& destination) const;

    void Clear();

    int GetLeafCount() const { return leafCount; }

private:
    static constexpr int kLevels = 8;

    struct Node {
        // 64-bit, so that one colour covering a very large picture cannot wrap.
        uint64_t sumRed = 0;
        uint64_t sumGreen = 0;
        uint64_t sumBlue = 0;
        Node* children[8] = {};
        bool isLeaf = false;
        Node* next = nullptr; // in a reducible list or the free list
        uint64_t pixelCount = 0;
        int colourIndex = 0;
    };

    Node* NewNode();
    void FreeNode(Node* node);
    // Merges one inner node into a leaf; false when nothing is left to merge.
    bool ReduceOnce();
    void ReduceToLimit();
    void AssignColours(Node& node, pxPalette& palette, int& nextIndex);
    // The leaf on the colour's path, or nullptr where the path ends first.
    const Node* FindLeaf(uint8_t red, uint8_t green, uint8_t blue) const;

    Node* freeList = nullptr;
    Node root;
    int leafCount = 0;
    int maxColours;
    int reduceLevel = kLevels - 1;
    Node* reducible[kLevels] = {}; // inner nodes per level, newest first
};
