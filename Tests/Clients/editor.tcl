# A Tk editor for the quit tests: `wish editor.tcl <windows> <close|ask|hide>`. It says
# "ready" once its windows show, then, for each request to close one: "closed" as it
# closes it (ending with the last), "asked" as it asks to save and stays, or "hidden"
# as it hides it and goes on running.
fconfigure stdout -buffering line
lassign $argv count mode
wm withdraw .
set open $count
set shown 0

proc closeRequested {window} {
    global mode open
    switch $mode {
        ask {
            puts asked
            if {![winfo exists .ask]} {
                toplevel .ask
                pack [label .ask.question -text "Save changes before closing?"]
            }
        }
        hide {
            destroy $window
            # A round trip: the server has taken the window away before anyone hears of it.
            winfo pointerxy .
            puts hidden
        }
        default {
            destroy $window
            puts closed
            if {[incr open -1] == 0} {
                exit 0
            }
        }
    }
}

for {set i 1} {$i <= $count} {incr i} {
    toplevel .w$i
    pack [text .w$i.text]
    .w$i.text insert end "unsaved work"
    wm protocol .w$i WM_DELETE_WINDOW [list closeRequested .w$i]
    # A toplevel's bindings see its widgets' events too.
    bind .w$i <Map> {
        if {"%W" eq [winfo toplevel %W] && [incr shown] == $count} {
            puts ready
        }
    }
}
