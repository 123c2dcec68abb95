#include "ui/DBCtrls.h"

#include <algorithm>

#include "ui/Utf8.h"

// ---- TDataSource

TDataSource::~TDataSource() {
    if (dataSet_) dataSet_->RemoveDataLink(*this);
    auto edits = edits_;
    for (TDBEdit* edit : edits) {
        edit->dataSource_ = nullptr;
        edit->Refresh();
    }
}

void TDataSource::SetDataSet(TClientDataSet* dataSet) {
    if (dataSet == dataSet_) return;
    if (dataSet_) dataSet_->RemoveDataLink(*this);
    dataSet_ = dataSet;
    if (dataSet_) dataSet_->AddDataLink(*this);
    DataChanged();
}

void TDataSource::DataChanged() {
    auto edits = edits_;
    for (TDBEdit* edit : edits) edit->Refresh();
}

void TDataSource::DataSetDestroying() {
    dataSet_ = nullptr;
    DataChanged();
}

void TDataSource::Attach(TDBEdit& edit) {
    if (std::find(edits_.begin(), edits_.end(), &edit) == edits_.end()) edits_.push_back(&edit);
}

void TDataSource::Detach(TDBEdit& edit) {
    edits_.erase(std::remove(edits_.begin(), edits_.end(), &edit), edits_.end());
}

// ---- TDBEdit

TDBEdit::~TDBEdit() {
    if (dataSource_) dataSource_->Detach(*this);
}

void TDBEdit::SetDataSource(TDataSource* dataSource) {
    if (dataSource == dataSource_) return;
    if (dataSource_) dataSource_->Detach(*this);
    dataSource_ = dataSource;
    if (dataSource_) dataSource_->Attach(*this);
    Refresh();
}

void TDBEdit::SetDataField(std::string dataField) {
    dataField_ = std::move(dataField);
    Refresh();
}

TField* TDBEdit::Field() const {
    if (!dataSource_ || !dataSource_->DataSet() || !dataSource_->DataSet()->Active()) return nullptr;
    return dataSource_->DataSet()->FindField(dataField_);
}

void TDBEdit::Refresh() {
    TField* field = Field();
    SetMaxLength(field ? field->Size() : 0);
    StoreText(field ? field->AsString() : std::string());
}

void TDBEdit::UserType(const std::string& text) {
    if (ReadOnly() || !Reachable()) return;
    TField* field = Field();
    if (!field) return;
    std::string cut = LeftChars(text, field->Size());
    if (cut == Text()) return;
    // Typing is what puts a stored record into editing.
    dataSource_->DataSet()->Edit();
    field->SetAsString(cut);
    if (OnChange) OnChange(*this);
}
