#include "OctreeQuantizer.h"

#include <vector>

OctreeQuantizer::OctreeQuantizer(unsigned int colourCount, unsigned int colourBits)
    : colourBits(colourBits > 8 ? 8 : colourBits), maxColours(colourCount < 16 ? 16 : colourCount),
      outputMaxColours(colourCount), root(nullptr), leafCount(0), reducibleNodes{}
{
}

OctreeQuantizer::~OctreeQuantizer()
{
    freeNode(root);
}

void OctreeQuantizer::freeNode(Node* node)
{
    if (node == nullptr)
        return;
    for (Node* child : node->child)
        freeNode(child);
    delete node;
}

bool OctreeQuantizer::processImage(const BITMAPINFOHEADER* dib)
{
    if (dib == nullptr)
        return false;
    const int bits = dib->biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24)
        return false;
    const int width = dib->biWidth;
    const int height = dib->biHeight < 0 ? -dib->biHeight : dib->biHeight;
    unsigned int colours = bits == 24 ? 0 : (dib->biClrUsed != 0 ? dib->biClrUsed : 1u << bits);
    const RGBQUAD* palette =
        reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const unsigned char*>(dib) + dib->biSize);
    const unsigned char* rows = reinterpret_cast<const unsigned char*>(palette + colours);
    const size_t stride = ((static_cast<size_t>(bits) * width + 31) / 32) * 4;

    // Neighbouring pixels often share their colour: the leaf of the last
    // colour takes the next pixel directly, until a reduction frees leaves.
    Node* lastLeaf = nullptr;
    RGBQUAD last = {0, 0, 0, 0};
    for (int y = 0; y < height; y++) {
        const unsigned char* row = rows + y * stride;
        for (int x = 0; x < width; x++) {
            RGBQUAD c;
            if (bits == 24) {
                const unsigned char* p = row + 3 * x;
                c = RGBQUAD{p[0], p[1], p[2], 0};
            } else {
                unsigned int index = bits == 8   ? row[x]
                                     : bits == 4 ? (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F
                                                 : (row[x >> 3] >> (7 - (x & 7))) & 0x01;
                // An index past a short colour table counts as black.
                c = index < colours ? palette[index] : RGBQUAD{0, 0, 0, 0};
            }
            if (lastLeaf != nullptr && c.rgbRed == last.rgbRed && c.rgbGreen == last.rgbGreen &&
                c.rgbBlue == last.rgbBlue && c.rgbReserved == last.rgbReserved) {
                addToLeaf(lastLeaf, c.rgbRed, c.rgbGreen, c.rgbBlue, c.rgbReserved);
                continue;
            }
            lastLeaf = insert(c.rgbRed, c.rgbGreen, c.rgbBlue, c.rgbReserved);
            last = c;
            while (leafCount > maxColours) {
                reduceTree();
                lastLeaf = nullptr;
            }
        }
    }
    return true;
}

void OctreeQuantizer::addColour(BYTE red, BYTE green, BYTE blue, BYTE alpha)
{
    insert(red, green, blue, alpha);
}

void OctreeQuantizer::addPixels(const uint32_t* pixels, size_t count)
{
    Node* lastLeaf = nullptr;
    uint32_t last = 0;
    for (size_t i = 0; i < count; i++) {
        uint32_t p = pixels[i] & 0x00FFFFFF;
        BYTE red = static_cast<BYTE>(p >> 16), green = static_cast<BYTE>(p >> 8),
             blue = static_cast<BYTE>(p);
        if (lastLeaf != nullptr && p == last) {
            addToLeaf(lastLeaf, red, green, blue, 0);
            continue;
        }
        lastLeaf = insert(red, green, blue, 0);
        last = p;
        while (leafCount > maxColours) {
            reduceTree();
            lastLeaf = nullptr;
        }
    }
}

void OctreeQuantizer::addToLeaf(Node* leaf, BYTE red, BYTE green, BYTE blue, BYTE alpha)
{
    leaf->pixelCount++;
    leaf->redSum += red;
    leaf->greenSum += green;
    leaf->blueSum += blue;
    leaf->alphaSum += alpha;
}

OctreeQuantizer::Node* OctreeQuantizer::insert(BYTE red, BYTE green, BYTE blue, BYTE alpha)
{
    Node** slot = &root;
    for (unsigned int level = 0;; level++) {
        if (*slot == nullptr) {
            Node* node = new Node();
            node->isLeaf = level == colourBits;
            if (node->isLeaf) {
                leafCount++;
            } else {
                node->next = reducibleNodes[level];
                reducibleNodes[level] = node;
            }
            *slot = node;
        }
        Node* node = *slot;
        if (node->isLeaf) {
            addToLeaf(node, red, green, blue, alpha);
            return node;
        }
        const int shift = 7 - static_cast<int>(level);
        const int index =
            (((red >> shift) & 1) << 2) | (((green >> shift) & 1) << 1) | ((blue >> shift) & 1);
        slot = &node->child[index];
    }
}

void OctreeQuantizer::reduceTree()
{
    if (colourBits == 0)
        return;
    int level = static_cast<int>(colourBits) - 1;
    while (level > 0 && reducibleNodes[level] == nullptr)
        level--;
    Node* node = reducibleNodes[level];
    if (node == nullptr)
        return;
    reducibleNodes[level] = node->next;
    node->next = nullptr;

    unsigned int children = 0;
    for (Node*& child : node->child) {
        if (child == nullptr)
            continue;
        node->redSum += child->redSum;
        node->greenSum += child->greenSum;
        node->blueSum += child->blueSum;
        node->alphaSum += child->alphaSum;
        node->pixelCount += child->pixelCount;
        freeNode(child);
        child = nullptr;
        children++;
    }
    node->isLeaf = true;
    leafCount -= children - 1;
}

void OctreeQuantizer::collectLeaves(const Node* node, Leaf* leaves, unsigned int& count)
{
    if (node == nullptr)
        return;
    if (node->isLeaf) {
        const uint64_t n = node->pixelCount;
        Leaf& leaf = leaves[count++];
        leaf.colour.rgbRed = static_cast<BYTE>(node->redSum / n);
        leaf.colour.rgbGreen = static_cast<BYTE>(node->greenSum / n);
        leaf.colour.rgbBlue = static_cast<BYTE>(node->blueSum / n);
        leaf.colour.rgbReserved = static_cast<BYTE>(node->alphaSum / n);
        leaf.pixelCount = node->pixelCount;
        return;
    }
    for (const Node* child : node->child)
        collectLeaves(child, leaves, count);
}

void OctreeQuantizer::setColourTable(RGBQUAD* table) const
{
    std::vector<Leaf> leaves(leafCount);
    unsigned int count = 0;
    collectLeaves(root, leaves.data(), count);
    if (outputMaxColours >= 16 || count <= outputMaxColours) {
        for (unsigned int i = 0; i < count; i++)
            table[i] = leaves[i].colour;
        return;
    }
    // Fewer colours than the tree keeps: neighbouring leaves are merged,
    // weighted by their pixel counts.
    for (unsigned int j = 0; j < outputMaxColours; j++) {
        unsigned int first = j * count / outputMaxColours;
        unsigned int last = (j + 1) * count / outputMaxColours;
        uint64_t red = 0, green = 0, blue = 0, alpha = 0, pixels = 0;
        for (unsigned int i = first; i < last; i++) {
            const Leaf& leaf = leaves[i];
            red += static_cast<uint64_t>(leaf.colour.rgbRed) * leaf.pixelCount;
            green += static_cast<uint64_t>(leaf.colour.rgbGreen) * leaf.pixelCount;
            blue += static_cast<uint64_t>(leaf.colour.rgbBlue) * leaf.pixelCount;
            alpha += static_cast<uint64_t>(leaf.colour.rgbReserved) * leaf.pixelCount;
            pixels += leaf.pixelCount;
        }
        RGBQUAD merged = {0, 0, 0, 0};
        if (pixels > 0) {
            merged.rgbRed = static_cast<BYTE>(red / pixels);
            merged.rgbGreen = static_cast<BYTE>(green / pixels);
            merged.rgbBlue = static_cast<BYTE>(blue / pixels);
            merged.rgbReserved = static_cast<BYTE>(alpha / pixels);
        }
        table[j] = merged;
    }
}
