#pragma once
// In-memory table of string fields, ordered by a unique primary index on one
// field whose keys compare without regard to case.
//
// One record is current. In dsBrowse it is a stored record; Edit() makes it
// pending (dsEdit), Append() starts a new pending record (dsInsert).
// Post() stores the pending record or refuses with an Exception and leaves
// it pending; Cancel() discards it. Moving (First, Next, Locate...) while a
// record is pending stores it first when it was modified, or discards it
// when not, like any data set does; a refusal then propagates.
#include <list>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/Controls.h"

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

struct TFieldDef {
    std::string Name;
    int Size = 0;              // characters (not bytes)
    std::string DisplayLabel;  // names the field in refusal messages; Name when empty
    bool Required = false;
};

class TClientDataSet;

// One column, seen through the current record.
class TField {
public:
    const std::string& FieldName() const { return def_.Name; }
    int Size() const { return def_.Size; }
    const std::string& DisplayLabel() const;
    bool Required() const { return def_.Required; }
    int Index() const { return index_; }

    // The current record's value; empty with no current record.
    std::string AsString() const;
    // Sets the current pending record's value, cut to Size characters.
    // Raises Exception unless the table is in dsEdit or dsInsert.
    void SetAsString(std::string_view value);

private:
    friend class TClientDataSet;
    TField(TClientDataSet& dataSet, TFieldDef def, int index)
        : dataSet_(dataSet), def_(std::move(def)), index_(index) {}
    TClientDataSet& dataSet_;
    TFieldDef def_;
    int index_;
};

// Told whenever the current record, its values or the state change.
class TDataLink {
public:
    virtual ~TDataLink() = default;
    virtual void DataChanged() = 0;
    // The table is going away; drop the pointer to it.
    virtual void DataSetDestroying() {}
};

class TClientDataSet : public TComponent {
public:
    TClientDataSet();
    ~TClientDataSet() override;

    // Definitions, before CreateDataSet.
    void AddFieldDef(TFieldDef def);
    // The primary index: unique, keys compared without regard to case,
    // records ordered by it.
    void SetPrimaryIndex(std::string fieldName);

    // Creates the fields from the definitions: an empty, open table (dsBrowse).
    // Raises Exception when there are no field definitions or the index field
    // is not among them.
    void CreateDataSet();
    bool Active() const { return state_ != dsInactive; }
    TDataSetState State() const { return state_; }
    // A record is pending: dsEdit or dsInsert.
    bool Pending() const { return state_ == dsEdit || state_ == dsInsert; }

    // Raises Exception("Nie znaleziono pola '<name>'") for an unknown name
    // (names compare without regard to case); FindField returns null instead.
    TField& FieldByName(std::string_view name) const;
    TField* FindField(std::string_view name) const;

    // Stored records.
    int RecordCount() const { return static_cast<int>(records_.size()); }
    bool IsEmpty() const { return records_.empty(); }
    bool Eof() const { return eof_; }
    void First();
    void Next();
    // Makes the first record whose field equals value exactly (case counts)
    // current; false (and no move) when there is none.
    bool Locate(std::string_view fieldName, std::string_view value);

    // Starts a new record at the end: all fields empty, state dsInsert, then
    // OnNewRecord fires.
    void Append();
    // Makes the current record pending (dsEdit) and fires AfterEdit; on an
    // empty table it starts a new record instead (Append). Does nothing when
    // a record is pending already.
    void Edit();
    // Stores the pending record at its place in key order; it stays current.
    // Refuses, leaving the record and the state as they are, with
    //   Exception("Pole '<display label>' musi posiadać wartość") for the first
    //   required field (in field order) that is empty, then
    //   Exception("Key violation.") when another stored record has a key
    //   equal without regard to case.
    // Does nothing in dsBrowse.
    void Post();
    // Discards the pending change or new record: the edited record, or after
    // Append the last stored one, is current again. Does nothing in dsBrowse.
    void Cancel();
    // Removes every record (pending ones included); stays open.
    void EmptyDataSet();

    TNotifyEvent OnNewRecord;  // after the new empty record is current
    TNotifyEvent AfterEdit;    // after entering dsEdit

    void AddDataLink(TDataLink& link);
    void RemoveDataLink(TDataLink& link);
    // While disabled (calls nest), the links are not told of changes; the
    // last EnableControls tells them once. Bulk loads skip the redrawing.
    void DisableControls() { ++disabled_; }
    void EnableControls();

private:
    friend class TField;
    using TRecord = std::vector<std::string>;
    using TRecords = std::list<TRecord>;
    using TRecordPos = TRecords::iterator;

    void CheckActive() const;
    void CheckBrowseMode();
    void StartNewRecord();
    using TIndex = std::map<std::string, TRecordPos>;
    TRecordPos StorePosition(TIndex::iterator above);
    void DataChanged();
    void Clear();

    std::vector<TFieldDef> fieldDefs_;
    std::string indexField_;
    std::vector<std::unique_ptr<TField>> fields_;
    // Records in table order. Positions stay valid while others come and go,
    // so a load of many records costs a look-up in the index per record.
    TRecords records_;
    // With a key field: the upper-cased key of every stored record. Upper-cased
    // byte order is the table's key order.
    TIndex index_;
    int keyColumn_ = -1;
    TDataSetState state_ = dsInactive;
    TRecordPos current_;     // records_.end() when there is none
    TRecordPos beforeEdit_;  // the last record when a new one started
    TRecord buffer_;         // the pending record
    bool modified_ = false;  // a field of the pending record was set
    bool eof_ = true;
    std::vector<TDataLink*> links_;
    int disabled_ = 0;
};

// Disables a table's controls for a scope.
class TControlsDisabled {
public:
    explicit TControlsDisabled(TClientDataSet& table) : table_(table) { table_.DisableControls(); }
    ~TControlsDisabled() { table_.EnableControls(); }
    TControlsDisabled(const TControlsDisabled&) = delete;
    TControlsDisabled& operator=(const TControlsDisabled&) = delete;

private:
    TClientDataSet& table_;
};
