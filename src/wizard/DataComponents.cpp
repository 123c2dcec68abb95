// The form's non-visual components: the engine connections with their
// parameter templates, the two queries, and the net service table.
#include <string>
#include <vector>

#include "wizard/Unit2.h"

void TForm2::LoadDataComponents() {
    struct TDatabaseDesign {
        TDatabase& Database;
        const char* DatabaseName;
        const char* DriverName;
        std::vector<std::string> Params;
    };
    const TDatabaseDesign databases[] = {
        // P1: the template of the SQL Server aliases; never opened.
        {Database1, "", "SQL Native Client",
         {
             "DATABASE NAME=", "USER NAME=", "ODBC DSN=", "OPEN MODE=READ/WRITE", "BATCH COUNT=200",
             "LANGDRIVER=anpolish", "MAX ROWS=-1", "SCHEMA CACHE DIR=", "SCHEMA CACHE SIZE=8",
             "SCHEMA CACHE TIME=-1", "SQLPASSTHRU MODE=SHARED AUTOCOMMIT", "SQLQRYMODE=",
             "ENABLE SCHEMA CACHE=FALSE", "ENABLE BCD=FALSE", "ROWSET SIZE=20", "BLOBS TO CACHE=64",
             "BLOB SIZE=32",
         }},
        // P2: lists the databases of a server.
        {Database2, "_TmpDatabase", "SQL Native Client",
         {
             "DATABASE NAME=master", "USER NAME=", "ODBC DSN=", "OPEN MODE=READ/WRITE", "BATCH COUNT=200",
             "LANGDRIVER=anpolish", "MAX ROWS=-1", "SCHEMA CACHE DIR=", "SCHEMA CACHE SIZE=8",
             "SCHEMA CACHE TIME=-1", "SQLPASSTHRU MODE=SHARED AUTOCOMMIT", "SQLQRYMODE=",
             "ENABLE SCHEMA CACHE=FALSE", "ENABLE BCD=FALSE", "ROWSET SIZE=20", "BLOBS TO CACHE=64",
             "BLOB SIZE=32", "PASSWORD=",
         }},
        // P3: lists the schema users and is the template of the Oracle aliases.
        {DatabaseOracle, "_Oracle", "ORACLE",
         {
             "SERVER NAME=", "USER NAME=", "NET PROTOCOL=TNS", "OPEN MODE=READ/WRITE", "SCHEMA CACHE SIZE=8",
             "LANGDRIVER=anpolish", "SQLQRYMODE=", "SQLPASSTHRU MODE=SHARED AUTOCOMMIT",
             "SCHEMA CACHE TIME=-1", "MAX ROWS=-1", "BATCH COUNT=200", "ENABLE SCHEMA CACHE=FALSE",
             "SCHEMA CACHE DIR=", "ENABLE BCD=FALSE", "ENABLE INTEGERS=TRUE", "LIST SYNONYMS=NONE",
             "ROWSET SIZE=20", "BLOBS TO CACHE=64", "BLOB SIZE=32", "OBJECT MODE=TRUE",
         }},
    };
    for (const TDatabaseDesign& d : databases) {
        d.Database.DatabaseName = d.DatabaseName;
        d.Database.DriverName = d.DriverName;
        d.Database.Params.Lines() = d.Params;
    }

    struct TQueryDesign {
        TQuery& Query;
        const char* DatabaseName;
        std::vector<std::string> SQL;
    };
    const TQueryDesign queries[] = {
        // Q1: the user databases of a SQL Server.
        {Query1, "_TmpDatabase",
         {
             "select cast(NAME as varchar(128)) NAME",
             " from sysdatabases where NAME not in ('master', 'msdb', 'model', 'tempdb', 'resource', "
             "'distribution')",
             "",
         }},
        // Q2: the schema users of an Oracle server; the condition stays a comment.
        {Query2, "_Oracle",
         {
             "select USERNAME from DBA_USERS",
             "/* where DEFAULT_TABLESPACE= 'USERS'*/",
             "",
         }},
    };
    for (const TQueryDesign& q : queries) {
        q.Query.DatabaseName = q.DatabaseName;
        q.Query.SQL.Lines() = q.SQL;
    }

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
