var ppath = "";
var filename = "tizen_start.php";

window.onload = function () {
    var params = Object.create(null);
    var address = String(window.location.href);
    var q = address.indexOf("?");
    if (q >= 0) {
        var pieces = address.substring(q + 1).split("&");
        for (var i = 0; i < pieces.length; i++) {
            var pair = pieces[i].split("=");
            params[pair[0]] = pair[1];
        }
    }
    if ("pt" in params) {
        // "?pt" without "=" counts as an empty value: paths relative to the page.
        ppath = params["pt"] === undefined ? "" : params["pt"];
        var body = document.getElementById("body_el");
        body.innerHTML = "";
        var lp = document.createElement("div");
        lp.id = "lp";
        lp.className = "loading_bar_tizen";
        var img = document.createElement("img");
        img.className = "loading_img";
        img.src = ppath + "images/loading-gif-animation.gif";
        lp.appendChild(img);
        body.appendChild(lp);
        var script = document.createElement("script");
        script.type = "text/javascript";
        script.src = ppath + filename;
        document.getElementsByTagName("head")[0].appendChild(script);
    } else {
        window.location.href = "index.html?pt=" + decodeURIComponent("@PORTAL_URL@");
    }
};
