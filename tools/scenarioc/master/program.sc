// The shipped scenario program. "main" runs once for every activity; each
// screen function shows one UI job and answers the events that job sends.

program "Master.p2";
version "1.0";
entry main;

global g_result;            // what "main" returns: always 0
global g_activity;          // the activity code of the run
global g_album_sendto;      // composer scenario for sharing an online album
global g_sendto;            // composer scenario for sending to contacts
global g_print_by_mail;     // scenario of the print flows
global g_prints_at_retail;  // destination category of the print flows
global g_my_uploads;        // what the upload choosers return for "my uploads"

function 0 @start() {
    g_album_sendto = "__vxl_album_sendto_recipients";
    g_sendto = "__vxl_sendto_recipients";
    g_print_by_mail = "__vxl_print_by_mail";
    g_prints_at_retail = "__vxl_prints_at_retail";
    g_my_uploads = "MY-UPLOADS-MAGIC-ALBUM-ID";
    return 0;
}
