#include "DataSetCatalogue.h"

#include "DataSets.h"

InputValueTable& DataSetCatalogue::getTable()
{
    static InputValueTable table(100);
    return table;
}

void DataSetCatalogue::fill()
{
    InputValueTable& table = getTable();
    for (const DataSet& set : dataSets())
        if (set.offeredAs != nullptr)
            table.put(set.file, set.offeredAs);
}
