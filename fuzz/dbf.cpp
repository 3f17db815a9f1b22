// A dBASE table opened and read record by record, as a point layer takes its attributes.

#include <cstdlib>

#include "formats/dbf.h"
#include "fuzz/input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::input_file file("table.dbf");
    CDBF table;
    if (table.Open(file.write(data, size)) != 0) return 0;
    const std::uint32_t records = table.GetRecordCount();
    // Every record takes at least its deletion mark.
    if (records > table.GetHeaderRecordCount() || records > size) std::abort();
    const auto& kinds = table.GetKinds();
    if (table.GetNames().size() != kinds.size() || table.GetTypes().size() != kinds.size()) std::abort();

    for (const std::vector<CDBFValue>* values = &table.MoveFirst(); table.GetCurrent() <= records;
         values = &table.MoveNext()) {
        if (values->size() != kinds.size()) std::abort();
        for (std::size_t i = 0; i < kinds.size(); ++i)
            if ((*values)[i].m_nKind != CDBF::kindNone && (*values)[i].m_nKind != kinds[i]) std::abort();
        table.IsDeleted();
    }
    table.MovePrev();
    table.MoveTo(records / 2);
    return 0;
}
