#pragma once

#include <vector>

// A regular latitude-longitude grid placed onto the program's 5-degree cells
// (rows north first, columns from 180W eastwards). Each 5-degree cell takes
// the area-weighted mean of the input cells that overlap it and have data; a
// 5-degree input on the program's own cells maps one to one and keeps its
// values exactly, and so does a grid of whole multiples of 5 degrees (each
// cell takes the value of the cell it lies in).
//
// A cell whose input cells with data all hold one value takes that value;
// any other mean m is rounded to nine decimals, rint(m * 1e9) / 1e9, so that
// halves such as the mean of 7.375 and 7.5 survive averaging exactly. Every
// step is done in the order numpy does it in the Python importer, so that the
// cells agree with its cells bit for bit where numpy's sine is the one in
// PortableSine.h; the area weights have the same bits on every processor.
class CellMapping {
public:
    // The cell centres, without a repeated last longitude. Throws
    // ImportFailure when the grid is not regular, reaches beyond the poles,
    // covers more than 360 degrees, or is coarser than 5 degrees without
    // lying on the 5-degree lines.
    CellMapping(const std::vector<double>& latitudes, const std::vector<double>& longitudes);

    double latitudeStep() const { return latitudeStepDegrees; }
    double longitudeStep() const { return longitudeStepDegrees; }

    // values: months x latitudes x longitudes in the input's order, NaN
    // where missing; cells: months x 36 x 72, NaN where no input has data.
    void apply(const double* values, int months, double* cells) const;

private:
    // The overlaps along one axis: input index source[k] contributes with
    // weight[k] to output index target[g] for k in starts[g] .. starts[g + 1] - 1,
    // sorted by target and then by source.
    struct Pieces {
        std::vector<int> source;
        std::vector<double> weight;
        std::vector<int> starts;
        std::vector<int> target;
        bool oneToOne = false; // each output index takes exactly one whole input cell

        int groups() const { return static_cast<int>(target.size()); }
        int count(int group) const;
    };

    static Pieces piecesOf(const std::vector<double>& overlap, int inputs, int outputs);
    void copy(const double* values, double* cells) const;
    void average(const double* values, double* cells, std::vector<double>& scratch) const;

    int latitudeCount;
    int longitudeCount;
    double latitudeStepDegrees;
    double longitudeStepDegrees;
    Pieces rows;
    Pieces columns;
};

// Whether the last longitude lies 360 degrees from the first (within a
// thousandth of the first step), as in files prepared for plotting: its
// column describes the same cells as the first.
bool repeatsFirstLongitude(const std::vector<double>& longitudes);
