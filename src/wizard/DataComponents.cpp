// The form's non-visual components: the engine connections with their
// parameter templates, the two queries, and the net service table.
#include "wizard/Unit2.h"

void TForm2::LoadDataComponents() {
    // P1: the template of the SQL Server aliases; never opened.
    Database1.DriverName = "SQL Native Client";
    Database1.Params.Lines() = {
        "DATABASE NAME=", "USER NAME=", "ODBC DSN=", "OPEN MODE=READ/WRITE", "BATCH COUNT=200",
        "LANGDRIVER=anpolish", "MAX ROWS=-1", "SCHEMA CACHE DIR=", "SCHEMA CACHE SIZE=8",
        "SCHEMA CACHE TIME=-1", "SQLPASSTHRU MODE=SHARED AUTOCOMMIT", "SQLQRYMODE=",
        "ENABLE SCHEMA CACHE=FALSE", "ENABLE BCD=FALSE", "ROWSET SIZE=20", "BLOBS TO CACHE=64",
        "BLOB SIZE=32",
    };
    // P2: lists the databases of a server.
    Database2.DatabaseName = "_TmpDatabase";
    Database2.DriverName = "SQL Native Client";
    Database2.Params.Lines() = {
        "DATABASE NAME=master", "USER NAME=", "ODBC DSN=", "OPEN MODE=READ/WRITE", "BATCH COUNT=200",
        "LANGDRIVER=anpolish", "MAX ROWS=-1", "SCHEMA CACHE DIR=", "SCHEMA CACHE SIZE=8",
        "SCHEMA CACHE TIME=-1", "SQLPASSTHRU MODE=SHARED AUTOCOMMIT", "SQLQRYMODE=",
        "ENABLE SCHEMA CACHE=FALSE", "ENABLE BCD=FALSE", "ROWSET SIZE=20", "BLOBS TO CACHE=64",
        "BLOB SIZE=32", "PASSWORD=",
    };
    // P3: lists the schema users and is the template of the Oracle aliases.
    DatabaseOracle.DatabaseName = "_Oracle";
    DatabaseOracle.DriverName = "ORACLE";
    DatabaseOracle.Params.Lines() = {
        "SERVER NAME=", "USER NAME=", "NET PROTOCOL=TNS", "OPEN MODE=READ/WRITE", "SCHEMA CACHE SIZE=8",
        "LANGDRIVER=anpolish", "SQLQRYMODE=", "SQLPASSTHRU MODE=SHARED AUTOCOMMIT",
        "SCHEMA CACHE TIME=-1", "MAX ROWS=-1", "BATCH COUNT=200", "ENABLE SCHEMA CACHE=FALSE",
        "SCHEMA CACHE DIR=", "ENABLE BCD=FALSE", "ENABLE INTEGERS=TRUE", "LIST SYNONYMS=NONE",
        "ROWSET SIZE=20", "BLOBS TO CACHE=64", "BLOB SIZE=32", "OBJECT MODE=TRUE",
    };

    // Q1: the user databases of a SQL Server.
    Query1.DatabaseName = "_TmpDatabase";
    Query1.SQL.Lines() = {
        "select cast(NAME as varchar(128)) NAME",
        " from sysdatabases where NAME not in ('master', 'msdb', 'model', 'tempdb', 'resource', 'distribution')",
        "",
    };
    // Q2: the schema users of an Oracle server; the condition stays a comment.
    Query2.DatabaseName = "_Oracle";
    Query2.SQL.Lines() = {
        "select USERNAME from DBA_USERS",
        "/* where DEFAULT_TABLESPACE= 'USERS'*/",
        "",
    };

    // The net service table: defined here, created empty by FormCreate.
    const TFieldDef serviceFields[] = {
        {"Name", 30, "Nazwa", true},
        {"ADDR_ADDR_PROT", 10, "Protokół", true},
        {"ADDR_ADDR_HOST", 30, "Nazwa lub IP serwera", true},
        {"ADDR_ADDR_PORT", 10, "Port serwera", true},
        {"CONN_SERV", 20, "Nazwa bazy (SID)", true},
    };
    ClientDataSet1.SetName("ClientDataSet1");
    for (const TFieldDef& f : serviceFields) ClientDataSet1.AddFieldDef(f);
    ClientDataSet1.SetPrimaryIndex("Name");

    DataSource1.SetName("DataSource1");
    DataSource1.SetDataSet(&ClientDataSet1);
}
