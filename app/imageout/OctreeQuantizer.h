#pragma once

#include <windows.h>

#include <cstdint>

// Builds a palette of at most a given number of colours for a picture: every
// pixel colour is sorted into an octree (one level per colour bit, child
// index = red bit * 4 + green bit * 2 + blue bit), and whenever the tree
// holds too many leaves the most recently made node of the deepest level
// with inner nodes is folded into one leaf. Each leaf is one palette colour,
// the mean of the pixels that reached it.
class OctreeQuantizer {
public:
    // colourBits above 8 are cut to 8; at least 16 leaves are kept while
    // building, and fewer requested colours are merged in setColourTable.
    OctreeQuantizer(unsigned int colourCount, unsigned int colourBits);
    OctreeQuantizer(const OctreeQuantizer&) = delete;
    OctreeQuantizer& operator=(const OctreeQuantizer&) = delete;
    ~OctreeQuantizer();

    // dib is a packed DIB (header, palette, rows) as DibImage holds it.
    // False, with the tree unchanged, for other depths than 1, 4, 8 and 24.
    bool processImage(const BITMAPINFOHEADER* dib);
    void addColour(BYTE red, BYTE green, BYTE blue, BYTE alpha);
    // 0x00RRGGBB words (alpha 0), each sorted in and the tree folded back to
    // its limit as processImage does for every pixel.
    void addPixels(const uint32_t* pixels, size_t count);
    // Writes getLeafCount() entries (at most the requested colour count)
    // as blue, green, red, reserved = mean alpha.
    void setColourTable(RGBQUAD* table) const;

    unsigned int getLeafCount() const { return leafCount; }

private:
    struct Node {
        bool isLeaf;
        uint32_t pixelCount;
        // 64 bits: a picture of more than 16 million pixels of one colour
        // would overflow 32-bit sums.
        uint64_t redSum, greenSum, blueSum, alphaSum;
        Node* child[8];
        Node* next;
    };
    struct Leaf {
        RGBQUAD colour;
        uint32_t pixelCount;
    };

    // Sorts the colour in and returns the leaf that took it.
    Node* insert(BYTE red, BYTE green, BYTE blue, BYTE alpha);
    static void addToLeaf(Node* leaf, BYTE red, BYTE green, BYTE blue, BYTE alpha);
    void reduceTree();
    static void freeNode(Node* node);
    static void collectLeaves(const Node* node, Leaf* leaves, unsigned int& count);

    unsigned int colourBits;
    unsigned int maxColours;
    unsigned int outputMaxColours;
    Node* root;
    unsigned int leafCount;
    Node* reducibleNodes[9];
};
