#include "PositionCollection.h"

#include "OrvexDatabase.h"

namespace {
const unsigned int chains = 100;
const unsigned int viewPositionNumber = 1;
} // namespace

PositionCollection::PositionCollection() : table(chains), lastNumber(0) {}

PositionCollection::PositionCollection(const PositionCollection& other)
    : table(chains), lastNumber(other.lastNumber)
{
    other.table.reset();
    while (other.table.hasMoreElements()) {
        const Position& position = other.table.nextValue();
        table.put(other.table.getCurrentKey(), position);
    }
}

unsigned int PositionCollection::add(const Position& position, bool globeView)
{
    if (globeView) {
        table.put(viewPositionNumber, position);
        return viewPositionNumber;
    }
    unsigned int number = lastNumber;
    do
        ++number;
    while (number == 0 || table.containsKey(number));
    table.put(number, position);
    lastNumber = number;
    return number;
}

bool PositionCollection::replace(unsigned int number, const Position& position)
{
    Position* stored = table.find(number);
    if (stored == nullptr)
        return false;
    *stored = position;
    return true;
}

bool PositionCollection::remove(unsigned int number)
{
    if (!table.remove(number))
        return false;
    if (lastNumber > 0)
        --lastNumber;
    return true;
}

Position& PositionCollection::nextPosition()
{
    table.nextValue();
    return *table.find(table.getCurrentKey());
}

double PositionCollection::meanValue(const OrvexDatabase& database)
{
    double sum = 0.0;
    unsigned int count = 0;
    reset();
    while (hasMoreElements()) {
        double value = database.valueAt(nextPosition().coordinates);
        if (value != MISSING_VALUE) {
            sum += value;
            ++count;
        }
    }
    return count > 0 ? sum / count : MISSING_VALUE;
}
