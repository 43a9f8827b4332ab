#pragma once

#include "Position.h"
#include "WHashtable.h"

class OrvexDatabase;

// The user's named positions by number, kept in the order they were added.
// Number 1 is the view position of the globe view. Numbers are never shared:
// a new position takes the number after the last one handed out, or the next
// free number after it when that one is still in use.
//
// Iteration follows insertion order with the table's own cursor:
//     while (positions.hasMoreElements()) { Position& p = positions.nextPosition(); ... }
// A thread other than the window thread walks a copy of its own.
class PositionCollection {
public:
    PositionCollection();
    // Copies the positions with their numbers and order, and the last number.
    PositionCollection(const PositionCollection& other);
    PositionCollection& operator=(const PositionCollection&) = delete;

    // Adds a position and returns its number. In the globe view it becomes
    // number 1, replacing the view position; the last number stays.
    unsigned int add(const Position& position, bool globeView);
    // Replaces the position of an existing number; false when there is none.
    bool replace(unsigned int number, const Position& position);
    // Removes a position; the last number handed out goes down by one.
    bool remove(unsigned int number);

    Position* find(unsigned int number) { return table.find(number); }
    const Position* find(unsigned int number) const { return table.find(number); }
    bool contains(unsigned int number) const { return table.containsKey(number); }
    unsigned long size() const { return table.size(); }
    unsigned int getLastNumber() const { return lastNumber; }

    bool hasMoreElements() { return table.hasMoreElements(); }
    // Only after hasMoreElements() returned true.
    Position& nextPosition();
    // The number of the position nextPosition() returned last.
    unsigned int getCurrentNumber() const { return table.getCurrentKey(); }
    void reset() { table.reset(); }

    // The mean of the positions' cell values in the loaded field; positions
    // without a value are left out, and MISSING_VALUE results when none has one.
    double meanValue(const OrvexDatabase& database);

private:
    // Mutable: copying walks the source with its cursor, which ends rewound.
    mutable WHashtable<unsigned int, Position, unsigned int, const Position&> table;
    unsigned int lastNumber;
};
