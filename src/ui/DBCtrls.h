#pragma once
// Data-aware controls: a data source links a table to edits that show and
// change one field of its current record.
#include <string>
#include <vector>

#include "ui/DBClient.h"
#include "ui/StdCtrls.h"

class TDBEdit;

class TDataSource : public TComponent, private TDataLink {
public:
    TDataSource() = default;
    ~TDataSource() override;

    TClientDataSet* DataSet() const { return dataSet_; }
    // The bound edits refresh at once, and again whenever the current
    // record, its values or the table's state change.
    void SetDataSet(TClientDataSet* dataSet);

private:
    friend class TDBEdit;
    void DataChanged() override;
    void DataSetDestroying() override;
    void Attach(TDBEdit& edit);
    void Detach(TDBEdit& edit);

    TClientDataSet* dataSet_ = nullptr;
    std::vector<TDBEdit*> edits_;
};

// Shows DataField of the current record (empty when there is none). The
// user typing puts the table into editing (Edit(): AfterEdit fires for a
// stored record; a new record stays in dsInsert) and sets the field, cut to
// its size. MaxLength follows the field's size.
class TDBEdit : public TEdit {
public:
    ~TDBEdit() override;

    void SetDataSource(TDataSource* dataSource);
    void SetDataField(std::string dataField);

    // The field shown, or null (no source, no open table, unknown name).
    TField* Field() const;

    // Reads the field again into Text (tells the peer, fires nothing).
    void Refresh();

    // Sets the field as described above, then fires OnChange. Ignored when
    // read-only, disabled, hidden or not bound to an open table. A refusal of
    // the table (e.g. an implicit post) propagates.
    void UserType(const std::string& text) override;

private:
    friend class TDataSource;
    TDataSource* dataSource_ = nullptr;
    std::string dataField_;
};
