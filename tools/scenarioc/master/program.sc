program "Master.p2";
version "1";
entry main;
global result, activity;
function 0 @start() { return 0; }
function 1 main(code, event) { result = 0; return result; }
