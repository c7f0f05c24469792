#pragma once

#include <memory>

#include "surf/surf.h"
#include "ui/bitmap.h"
#include "ui/geometry.h"

// One image holding a grid of equally sized cels.
struct SpriteSheet {
    std::shared_ptr<Surf> image;
    int celWidth = 0;
    int celHeight = 0;
};

// One row or column of a sprite sheet, played as an animation by index.
struct IndexedSprite {
    enum Direction : int { Row = 0, Column = 1 };

    const SpriteSheet& sheet;
    geo::Point origin;    // the point of the cel placed at the drawing position
    Direction direction;  // Row: frames run left to right; Column: top to bottom
    int line;             // which row (Row) or column (Column) holds the strip
    int lastIndex;        // the largest frame index

    // Blends frame `index` (clamped to 0..lastIndex) at pixel (x, y); the
    // backing scale is not applied.
    void draw(Bitmap& target, int index, int x, int y) const;
};
