#include "DataSetCatalogue.h"

InputValueTable& DataSetCatalogue::getTable()
{
    static InputValueTable table(100);
    return table;
}

void DataSetCatalogue::fill()
{
    InputValueTable& table = getTable();
    table.put("data/cru/hadcrut4.dat", "HADCRUT4");
    table.put("data/cru/hadcrut3.dat", "HADCRUT3");
    table.put("data/cru/abstem3.dat", "ABS1960_91");
}
